#include "tests/MainController/My/DownloadJourneySupport.h"

#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "platform/QMUIKit/QMUITips.h"

#include <algorithm>

namespace downloadtest {

std::shared_ptr<KKrallymultitudeViewController> DownloadJourneyTest::openTitle(const std::string& vodId,
                                                                               size_t resource) {
    openResourceList(vodId);
    auto page = tapResource(resource);
    if (!page) {
        return nullptr;
    }
    // The episode's parse answer has started the player and taken the loading tip away:
    // until then the tip covers the page and takes the taps meant for its buttons.
    waitFor([&] {
        return !page->list.empty() && ui().findByAccessibilityIdentifier("detail.download") != nullptr &&
               page->player()->URLAsset() != nullptr && !loadingTipShown();
    });
    return page;
}

void DownloadJourneyTest::openPicker() {
    auto button = ui().findByAccessibilityIdentifier("detail.download");
    ASSERT_NE(button, nullptr);
    ui().tap(button);
    ASSERT_TRUE(
        waitFor([&] { return keyWindow.findByAccessibilityIdentifier("downloads.picker") != nullptr; }));
    playFrames(0.5);
}

void DownloadJourneyTest::tapTile(long item, double frames) {
    auto tiles = keyWindow.findAllOfClass<KKintegratecompatible>();
    std::sort(tiles.begin(), tiles.end(), [&](const auto& a, const auto& b) {
        const auto fa = keyWindow.frameInWindow(a);
        const auto fb = keyWindow.frameInWindow(b);
        return fa.origin.y != fb.origin.y ? fa.origin.y < fb.origin.y : fa.origin.x < fb.origin.x;
    });
    ASSERT_LT(static_cast<size_t>(item), tiles.size()) << "no tile " << item;
    keyWindow.tap(tiles[static_cast<size_t>(item)]);
    if (frames > 0) {
        playFrames(frames);
    }
}

void DownloadJourneyTest::closePicker() {
    keyWindow.tap(CGPoint{20, 60});
    waitFor([&] { return keyWindow.findByAccessibilityIdentifier("downloads.picker") == nullptr; });
    playFrames(0.5);
}

std::shared_ptr<KKcommonplaceremedyViewController> DownloadJourneyTest::openManager() {
    auto manager = std::make_shared<KKcommonplaceremedyViewController>();
    KKpresentationdisease::getCurrentVC()->showViewController(manager, nullptr);
    waitFor([&] { return topPage() == manager; });
    playFrames(0.5);
    return manager;
}

std::vector<std::shared_ptr<KKcommenthumble>> DownloadJourneyTest::records() {
    auto found = KKcommenthumble::findAll(ASAttributes{});
    return found ? *found : std::vector<std::shared_ptr<KKcommenthumble>>{};
}

std::shared_ptr<KKcommenthumble> DownloadJourneyTest::record(const std::string& vodId, long index) {
    auto found =
        KKcommenthumble::findFirst(ASAttributes{{"vod_id", vodId}, {"index", std::to_string(index)}});
    return found ? *found : nullptr;
}

bool DownloadJourneyTest::waitForState(const std::string& vodId, long index, const std::string& state,
                                       double realSeconds) {
    return waitFor(
        [&] {
            auto found = record(vodId, index);
            return found && found->state == state;
        },
        realSeconds);
}

bool DownloadJourneyTest::tipShown(const std::string& text) {
    const auto& tips = QMUITips::shownTips();
    return std::any_of(tips.begin(), tips.end(), [&](const auto& tip) { return tip.text == text; });
}

bool DownloadJourneyTest::pickerShows(const std::string& text) {
    return keyWindow
               .findAll([&](const UIView& view) {
                   auto label = dynamic_cast<const UILabel*>(&view);
                   return label && label->text().find(text) != std::string::npos;
               })
               .size() > 0;
}

size_t DownloadJourneyTest::mediaRequests(const std::string& prefix) {
    size_t count = 0;
    for (const auto& request : apiRequests()) {
        count += request.path.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

} // namespace downloadtest
