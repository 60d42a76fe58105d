#include "tests/MainController/Detail/TitleJourneySupport.h"

#include "MainController/Detail/Cell/KKcompatibleenthusiastic.h"
#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/host/ScreenRenderer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

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

double TitleJourneyTest::litFraction(const std::shared_ptr<UIView>& view) {
    const CGRect rect = ui().frameInWindow(view);
    ScreenRenderer renderer;
    renderer.renderFrame();
    cairo_surface_t* surface = renderer.surface();
    cairo_surface_flush(surface);
    const double scale = renderer.scale();
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int left = std::max(0, static_cast<int>(std::floor(rect.minX() * scale)));
    const int top = std::max(0, static_cast<int>(std::floor(rect.minY() * scale)));
    const int right = std::min(renderer.pixelWidth(), static_cast<int>(std::ceil(rect.maxX() * scale)));
    const int bottom = std::min(renderer.pixelHeight(), static_cast<int>(std::ceil(rect.maxY() * scale)));
    long lit = 0;
    long total = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const unsigned char* pixel = data + y * stride + x * 4;
            lit += (pixel[0] > 24 || pixel[1] > 24 || pixel[2] > 24) ? 1 : 0;
            ++total;
        }
    }
    return total > 0 ? static_cast<double>(lit) / static_cast<double>(total) : 0;
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

} // namespace titletest
