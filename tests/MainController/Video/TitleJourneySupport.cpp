#include "tests/MainController/Video/TitleJourneySupport.h"

#include "MainController/Detail/Cell/KKcompatibleenthusiastic.h"
#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "platform/QMUIKit/Controllers/QMUIToastView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/host/ScreenRenderer.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/platform/SJBaseVideoPlayer/Player/PlayerViewTestSupport.h"

#include <algorithm>

namespace titletest {

void TitleJourneyTest::SetUp() {
    AppJourneyTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(service().waitForMedia(180));
}

std::shared_ptr<KKgiganticgloomy> TitleJourneyTest::openResourceList(const std::string& vodId) {
    auto list = std::make_shared<KKgiganticgloomy>();
    list->vod_id = vodId;
    KKpresentationdisease::getCurrentVC()->showViewController(list, nullptr);
    waitFor([&] { return topPage() == list && !list->list().empty(); });
    playFrames(0.5);
    return list;
}

std::shared_ptr<KKrallymultitudeViewController> TitleJourneyTest::tapResource(size_t row) {
    auto rows = ui().findAllOfClass<KKcompatibleenthusiastic>();
    std::sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        return ui().frameInWindow(a).origin.y < ui().frameInWindow(b).origin.y;
    });
    if (row >= rows.size()) {
        ADD_FAILURE() << "no resource row " << row;
        return nullptr;
    }
    ui().tap(rows[row]);
    waitFor([&] { return topPageAs<KKrallymultitudeViewController>() != nullptr; });
    playFrames(0.5);
    return topPageAs<KKrallymultitudeViewController>();
}

std::shared_ptr<KKrallymultitudeViewController> TitleJourneyTest::openPlayer(const std::string& vodId,
                                                                             const std::string& type) {
    auto page = std::make_shared<KKrallymultitudeViewController>();
    page->vod_id = vodId;
    page->type = type;
    KKpresentationdisease::getCurrentVC()->showViewController(page, nullptr);
    waitFor([&] { return topPage() == page; });
    playFrames(0.5);
    return page;
}

bool TitleJourneyTest::waitForPlayback(KKrallymultitudeViewController& page, double seconds,
                                       double realSeconds) {
    return waitFor(
        [&] {
            auto& player = *page.player();
            return player.isPlaying() && player.currentTime() > seconds &&
                   player.playbackController()->latestFrame() != nullptr;
        },
        realSeconds);
}

void TitleJourneyTest::tapEpisode(KKrallymultitudeViewController& page, long item) {
    auto& grid = *page.collectionView();
    // The player may start before the episode list has arrived and filled the grid.
    ASSERT_TRUE(waitFor([&] { return grid.numberOfItemsInSection(0) > item; }))
        << "episode tile " << item << " never listed";
    grid.scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(item, 0),
                                 UICollectionViewScrollPositionCenteredVertically, false);
    playFrames(0.1);
    auto cell = grid.cellForItemAtIndexPath(NSIndexPath::indexPathForItem(item, 0));
    ASSERT_NE(cell, nullptr) << "episode tile " << item;
    // A toast (a failed load says so) covers the page and takes touches until it has gone.
    waitFor(
        [&] {
            const auto window = cell->window();
            if (!window) {
                return true;
            }
            const CGRect frame = ui().frameInWindow(cell);
            const auto hit = window->hitTest({frame.midX(), frame.midY()}, nullptr);
            return hit && hit->isDescendantOfView(cell.get());
        },
        10);
    ui().tap(cell);
}

void TitleJourneyTest::goBack() {
    auto page = topPageAs<KKrallymultitudeViewController>();
    ASSERT_NE(page, nullptr);
    const auto& layer = page->player()->defaultEdgeControlLayer();
    layer->setAppeared(true, false);
    auto back = layer->topAdapter()->viewForItemWithTag(SJEdgeControlLayerTopItem_Back);
    ASSERT_NE(back, nullptr);
    ui().tap(back);
    waitFor([&] { return topPage() != page; });
    playFrames(0.6);
}

void TitleJourneyTest::toggleFullScreen(KKrallymultitudeViewController& page) {
    auto& player = *page.player();
    const bool wasFull = player.isFullscreen();
    const auto& layer = player.defaultEdgeControlLayer();
    layer->setAppeared(true, false);
    auto full = layer->bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Full);
    ASSERT_NE(full, nullptr);
    ui().tap(full);
    ASSERT_TRUE(
        waitFor([&] { return page.isFull != wasFull && !player.rotationManager().isTransitioning(); }));
    playFrames(0.5);
}

CGRect TitleJourneyTest::pictureRect(KKrallymultitudeViewController& page) {
    const auto& present = page.player()->presentView();
    const auto& layer = present->videoLayer();
    const CGRect picture = layer->videoRect();
    if (picture.isEmpty()) {
        return picture;
    }
    return present->convertRectToView(picture.offsetBy(layer->frame().origin.x, layer->frame().origin.y),
                                      nullptr);
}

testing::AssertionResult TitleJourneyTest::pictureIsUpright(KKrallymultitudeViewController& page) {
    auto& player = *page.player();
    player.controlLayerAppearManager().needDisappear();
    player.promptingPopupController().clear();
    playFrames(SJEdgeControlLayer::appearDuration + 0.1);
    const CGRect picture = pictureRect(page);
    if (picture.isEmpty()) {
        return testing::AssertionFailure() << "no picture";
    }
    ScreenRenderer screen;
    screen.renderFrame();
    // The middle of the fifth of the picture at a top corner.
    auto sample = [&](double across) {
        const double scale = screen.scale();
        return pixelAt(screen.surface(),
                       static_cast<int>((picture.minX() + across * picture.width()) * scale),
                       static_cast<int>((picture.minY() + 0.1 * picture.height()) * scale));
    };
    // Of the eight ways to turn or mirror the picture, only the upright one has the white
    // block at the top left and the black one at the top right.
    const Pixel topLeft = sample(0.1);
    const Pixel topRight = sample(0.9);
    if (topLeft.r > 200 && topLeft.g > 200 && topLeft.b > 200 && topRight.r < 60 && topRight.g < 60 &&
        topRight.b < 60) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "the picture at (" << picture.minX() << ", " << picture.minY() << ", " << picture.width()
           << " x " << picture.height() << ") shows (" << topLeft.r << ", " << topLeft.g << ", " << topLeft.b
           << ") at its top left (white wanted) and (" << topRight.r << ", " << topRight.g << ", "
           << topRight.b << ") at its top right (black wanted)";
}

double TitleJourneyTest::litFraction(const std::shared_ptr<UIView>& view) {
    return playerviewtest::litFraction(ui().frameInWindow(view));
}

std::shared_ptr<SJPlaybackRecord> TitleJourneyTest::latestRecord(const std::string& vodId) {
    auto records = SJPlaybackHistoryController::shared().recordsForConditions(
        {SJSQLite3Condition::conditionWithColumn("vodId", vodId)},
        {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
    if (!records || records->empty()) {
        return nullptr;
    }
    return records->front();
}

bool TitleJourneyTest::shows(const std::string& text) {
    if (ui().findByText(text) != nullptr) {
        return true;
    }
    const auto& tips = QMUITips::shownTips();
    return std::any_of(tips.begin(), tips.end(), [&](const QMUITips::Tip& tip) { return tip.text == text; });
}

bool TitleJourneyTest::loadingTipShown() {
    const auto tips = ui().findAllOfClass<QMUIToastView>();
    return std::any_of(tips.begin(), tips.end(),
                       [](const auto& tip) { return tip->isUserInteractionEnabled(); });
}

} // namespace titletest
