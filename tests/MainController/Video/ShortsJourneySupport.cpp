#include "tests/MainController/Video/ShortsJourneySupport.h"

#include "MainController/Video/Cell/KKcontaminatesuggestion.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/AVFoundation/Media/VideoFrame.h"

namespace shortsjourney {

std::shared_ptr<KKcandyleanViewController> ShortsJourneyTest::openFeed() {
    selectTab(2);
    auto page = feed();
    if (page == nullptr) {
        ADD_FAILURE() << "the third tab is not the short-video feed";
        return nullptr;
    }
    EXPECT_TRUE(waitFor([&] { return !page->list.empty() && cellAt(0) && showsPicture(*cellAt(0)); }, 30))
        << "the first video does not play";
    return page;
}

std::shared_ptr<KKleanceaseViewController> ShortsJourneyTest::openGrid() {
    const CGRect bounds = window()->bounds();
    ui().drag({bounds.size.width * 0.8, bounds.size.height / 2},
              {bounds.size.width * 0.2, bounds.size.height / 2}, 0.2, 8);
    if (!waitFor([&] { return topPageAs<KKleanceaseViewController>() != nullptr; })) {
        ADD_FAILURE() << "a left swipe on the feed opens no grid";
        return nullptr;
    }
    auto grid = topPageAs<KKleanceaseViewController>();
    EXPECT_TRUE(waitFor([&] { return grid->list().size() == 16 && ui().findByText("短视频"); }));
    EXPECT_TRUE(waitFor([&] { return coversShown(*grid); })) << "the covers of the tiles did not load";
    playFrames(1);
    return grid;
}

bool ShortsJourneyTest::coversShown(KKleanceaseViewController& grid) {
    for (const auto& cell : grid.collectionView()->visibleCells()) {
        if (std::static_pointer_cast<KKcontaminatesuggestion>(cell)->kkdrainexempt()->image() ==
            placeholderImage()) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<KKlenscontaminate> ShortsJourneyTest::cellAt(long item) const {
    const auto page = feed();
    if (!page) {
        return nullptr;
    }
    return std::dynamic_pointer_cast<KKlenscontaminate>(
        page->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(item, 0)));
}

std::optional<long> ShortsJourneyTest::settledItem() const {
    const auto page = feed();
    const auto& list = page->collectionView();
    const CGFloat height = list->bounds().size.height;
    const CGFloat offset = list->contentOffset().y;
    if (height <= 0 || std::fmod(offset, height) != 0) {
        return std::nullopt;
    }
    return static_cast<long>(offset / height);
}

void ShortsJourneyTest::swipeUp() {
    const CGRect bounds = window()->bounds();
    ui().drag({bounds.size.width / 2, bounds.size.height * 0.7},
              {bounds.size.width / 2, bounds.size.height * 0.3}, 0.2, 10);
    EXPECT_TRUE(waitUntilSettled());
}

bool ShortsJourneyTest::waitUntilSettled() {
    return waitFor([&] {
        const auto& list = feed()->collectionView();
        return !list->isDragging() && !list->isDecelerating() && settledItem().has_value();
    });
}

bool ShortsJourneyTest::showsPicture(const KKlenscontaminate& cell) {
    const auto& frame = cell.player()->presentView()->videoLayer()->videoFrame();
    return frame != nullptr && !frame->isBlank() && cell.player()->isPlaying() &&
           cell.player()->currentTime() > 0;
}

std::size_t ShortsJourneyTest::requestsUnder(const std::string& prefix) const {
    std::size_t count = 0;
    for (const auto& request : apiRequests()) {
        count += request.path.starts_with(prefix) ? 1 : 0;
    }
    return count;
}

std::set<std::string> ShortsJourneyTest::mediaPathsOf(int n) const {
    const std::string prefix = "/media/short/" + std::to_string(n) + "/";
    std::set<std::string> paths;
    for (const auto& request : apiRequests()) {
        if (request.path.starts_with(prefix)) {
            paths.insert(request.path);
        }
    }
    return paths;
}

} // namespace shortsjourney
