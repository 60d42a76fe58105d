// The playback history page with its real cells, on a 390 x 844 screen at scale 2, every
// frame laid out and drawn by the headless host, pictures coming from the web-image
// memory cache. The same page runs over a store of 20 titles and one of 2,000 titles
// (two episodes each) in the same process:
// - scrolling: 600 frames; the long list's per-frame cost should stay within 1.1 times
//   the short one's (cells are reused) and its 99th-percentile frame within 8.3 ms;
// - appearing: the page reads the store, keeps one row per title and shows the first
//   screenful each time it comes on screen. Reading the store grows with the records, and
//   so does the page's work on top of it (one row per title, the table's row geometry);
//   with the long store the whole appearance should stay within 1.5 times the store's own
//   read of the same records.

#include "MainController/My/Controller/KKinterfereboycottViewController.h"
#include "app/Base/NavigationController.h"
#include "bench/support/ScrollTiming.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kCovers = 24;
constexpr int kRounds = 5;
constexpr int kAppearances = 20;

std::string coverURL(long index) {
    return "https://covers.invalid/cover/" + std::to_string(index % kCovers) + ".jpg";
}

// Fills the store with `titles` titles of two episodes each, the second watched last.
void fillStore(long titles) {
    auto& store = SJPlaybackHistoryController::shared();
    (void)store.removeForConditions({});
    for (long title = 0; title < titles; ++title) {
        for (int episode = 1; episode <= 2; ++episode) {
            SJPlaybackRecord record;
            record.mediaId = title * 10 + episode;
            record.vodId = std::to_string(1000 + title);
            record.title = "影片 " + std::to_string(title) + " 的名字";
            record.cover = coverURL(title);
            record.episode = "第" + std::to_string(episode) + "集";
            record.index = std::to_string(episode - 1);
            record.duration = "2700";
            record.position = 61.5 * static_cast<double>(title % 40 + episode);
            (void)store.save(record);
        }
    }
}

struct Shown {
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<KKinterfereboycottViewController> page;
};

Shown showPage() {
    Shown shown;
    shown.window = std::make_shared<UIWindow>();
    shown.page = std::make_shared<KKinterfereboycottViewController>();
    shown.window->setRootViewController(std::make_shared<NavigationController>(shown.page));
    shown.window->makeKeyAndVisible();
    RunLoop::main().runPending();
    shown.window->layoutIfNeeded();
    return shown;
}

benchscroll::FrameTimes scrollHistory(long titles) {
    fillStore(titles);
    Shown shown = showPage();
    HeadlessHost host;
    // The short list is scrolled back and forth over its length, the long one onwards.
    return benchscroll::scroll(*shown.page->tableView(), host, benchscroll::Motion::reflected, 0);
}

// The page's appearance (store query, one row per title, reload and layout) against the
// store's query alone, for the store as it is.
std::pair<double, double> appearance() {
    Shown shown = showPage();
    std::vector<double> page;
    std::vector<double> query;
    for (int i = 0; i < kAppearances; ++i) {
        auto start = std::chrono::steady_clock::now();
        shown.page->viewWillAppear(false);
        shown.window->layoutIfNeeded();
        page.push_back(benchscroll::millisecondsSince(start));
        start = std::chrono::steady_clock::now();
        {
            // Reading the records and letting them go, as the page does with its previous list.
            auto records = SJPlaybackHistoryController::shared().recordsForConditions(
                {}, {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
            if (!records) {
                std::printf("the store failed: %s\n", records.error().message.c_str());
            }
        }
        query.push_back(benchscroll::millisecondsSince(start));
    }
    return {benchscroll::median(page), benchscroll::median(query)};
}

} // namespace

int main() {
    const auto home =
        std::filesystem::temp_directory_path() / ("orvex-history-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("ORVEX_HOME", home.c_str(), 1);
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    benchscroll::cachePhotos(kCovers, 192 * 2, 108 * 2, coverURL);
    scrollHistory(20); // warm caches

    benchscroll::Comparison comparison;
    for (int round = 0; round < kRounds; ++round) {
        const auto [few, many] =
            benchscroll::alternate(round, [](bool longCase) { return scrollHistory(longCase ? 2000 : 20); });
        comparison.add(few, many);
        std::printf("round %d: 20 titles %.3f ms/frame, 2000 titles %.3f ms/frame (p99 %.3f)\n", round + 1,
                    few.mean(), many.mean(), many.percentile(0.99));
    }
    fillStore(20);
    const auto [shortPage, shortQuery] = appearance();
    fillStore(2000);
    const auto [longPage, longQuery] = appearance();
    const double appear = longPage / longQuery;
    std::printf("per-frame cost, 2000 titles / 20 titles: %.3f (target 1.10 or less)\n", comparison.ratio());
    std::printf("99th-percentile frame, 2000 titles: %.3f ms (target 8.3 ms or less)\n", comparison.p99());
    std::printf("appearing: 40 records %.3f ms (query %.3f ms), 4000 records %.3f ms (query %.3f ms)\n",
                shortPage, shortQuery, longPage, longQuery);
    std::printf("appearing with 4000 records / reading them from the store: %.3f (target 1.5 or less)\n",
                appear);
    const bool scrollMet = printVerdict("scrolling 2000 titles against 20", comparison.met());
    const bool appearMet = printVerdict("appearing against the store's read", appear <= 1.5);
    std::filesystem::remove_all(home);
    return scrollMet && appearMet ? 0 : 1;
}
