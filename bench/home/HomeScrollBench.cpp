// Scrolling the home tab's lists on a 390 x 844 screen at scale 2 for 600 frames, every
// frame laid out and drawn by the headless host, the posters decoded and in the web-image
// memory cache:
//  1. the real recommend page, loaded from the development service on loopback, once with
//     a feed of 10 shelves of 10 posters (100) and once with 100 shelves (1,000);
//  2. the category grid (the category page's grid, data source, paging and poster cells)
//     over 100 and over 1,000 films.
// The short and the long list alternate over seven rounds in the same process; the program
// prints the median per-frame cost of 1,000 against 100 posters (target 1.1 or less) and
// the median 99th-percentile frame of the long lists (target 8.3 ms or less).
//
// Usage: home_scroll_bench [media folder the services may share]   (bench/home/run.sh)

#include "MainController/Home/Controller/KKdomaingrapeViewController.h"
#include "MainController/Home/Helpers/FilmGrid.h"
#include "Startup/ApplicationSetup.h"
#include "app/Network/ServiceConfiguration.h"
#include "app/Network/appLink.h"
#include "bench/support/ScrollTiming.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"
#include "tools/devservice/DevService.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 7;
constexpr int kShelfPosters = 10;

namespace fs = std::filesystem;

// A development service whose home feed has `shelves` shelves of kShelfPosters posters.
class FeedService {
  public:
    // `sameAuthority`: a service whose certificate authority this one takes over, so that
    // the client, which trusts one authority, can talk to both.
    FeedService(const fs::path& work, const std::string& name, int shelves, const fs::path& media,
                const FeedService* sameAuthority = nullptr) {
        const fs::path catalogue = work / (name + "-catalogue");
        fs::create_directories(catalogue);
        const fs::path sample = fs::path(ORVEX_SOURCE_DIR) / "tools/devservice/data";
        fs::copy(sample, catalogue, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        JSON::Storage home = JSON::parse(readFile(sample / "home.json")).storage();
        JSON::Storage titles = JSON::parse(readFile(sample / "titles.json")).storage();
        home["recList"] = JSON::Storage::array();
        for (int shelf = 0; shelf < shelves; ++shelf) {
            JSON::Storage ids = JSON::Storage::array();
            for (int i = 0; i < kShelfPosters; ++i) {
                ids.push_back(
                    titles[static_cast<std::size_t>((shelf * kShelfPosters + i) % titles.size())]["vod_id"]);
            }
            home["recList"].push_back({{"item", "热门 " + std::to_string(shelf + 1)},
                                       {"type_id", 1 + shelf % 4},
                                       {"vod_ids", ids}});
        }
        std::ofstream(catalogue / "home.json", std::ios::trunc) << home.dump();
        DevService::Options options;
        options.dataDir = work / (name + "-data");
        if (sameAuthority != nullptr) {
            fs::create_directories(options.dataDir);
            fs::copy(sameAuthority->dataDir_ / "tls", options.dataDir / "tls", fs::copy_options::recursive);
        }
        dataDir_ = options.dataDir;
        options.catalogueDir = catalogue;
        options.mediaDir = media;
        service_ = std::make_unique<DevService>(options);
        if (!service_->start()) {
            std::fprintf(stderr, "home_scroll_bench: the service did not start: %s\n",
                         service_->lastError().c_str());
            std::exit(1);
        }
        service_->waitForMedia(300);
    }

    // Points the API client at this service.
    void use() const {
        service_->writeClientConfiguration(ServiceConfiguration::file());
        ServiceConfiguration::setCurrent(ServiceConfiguration::load());
    }

  private:
    static std::string readFile(const fs::path& path) {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::unique_ptr<DevService> service_;
    fs::path dataDir_;
};

bool runUntil(const std::function<bool()>& done, double seconds) {
    return RunLoop::main().runUntil(done, seconds);
}

// Loads every poster once (downloaded, cached on disk, decoded), as scrolling a while
// would. The memory cache keeps only a few screens of them, so arrival is read from the
// views the posters were loaded into.
void cachePosters(const std::set<std::string>& addresses) {
    std::vector<std::shared_ptr<UIImageView>> loaders;
    for (const auto& address : addresses) {
        loaders.push_back(std::make_shared<UIImageView>());
        sd_setImageWithURL(loaders.back(), address);
    }
    const bool loaded = runUntil(
        [&] {
            return std::all_of(loaders.begin(), loaders.end(),
                               [](const auto& loader) { return loader->image() != nullptr; });
        },
        120);
    if (!loaded) {
        std::fprintf(stderr, "home_scroll_bench: the posters did not arrive\n");
        std::exit(1);
    }
}

// The real recommend page over the service's feed, scrolled.
benchscroll::FrameTimes scrollRecommendPage(const FeedService& service, std::set<std::string>* posters) {
    service.use();
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    auto page = std::make_shared<KKdomaingrapeViewController>();
    window->setRootViewController(page);
    window->makeKeyAndVisible();
    UIWindowDidBecomeVisible(*window);
    if (!runUntil([&] { return page->recList().has_value(); }, 120)) {
        std::fprintf(stderr, "home_scroll_bench: the recommend page did not load\n");
        std::exit(1);
    }
    if (posters != nullptr) {
        for (const auto& shelf : *page->recList()) {
            for (const auto& film : shelf["list"].arrayValue()) {
                posters->insert(film["vod_pic"].stringValue());
            }
        }
        for (const auto& card : page->rec().value_or(std::vector<JSON>{})) {
            posters->insert(card["bgpic"].stringValue());
            for (const auto& film : card["list"].arrayValue()) {
                posters->insert(film["vod_pic"].stringValue());
            }
        }
        for (const auto& ad : page->banner().value_or(std::vector<JSON>{})) {
            posters->insert(ad["content"].stringValue());
        }
        cachePosters(*posters);
    }
    HeadlessHost host;
    // Lets the pull-down header finish closing before the scrolling starts.
    for (int frame = 0; frame < 60; ++frame) {
        RunLoop::main().runUntil([] { return false; }, 1.0 / 60);
        host.renderFrame();
    }
    auto run = benchscroll::scroll(*page->tableView(), host, benchscroll::Motion::turning, 0);
    window->setRootViewController(nullptr);
    return run;
}

// The category page's grid over `count` films, scrolled.
benchscroll::FrameTimes scrollCategoryGrid(long count, const std::vector<std::string>& posters) {
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->makeKeyAndVisible();
    auto grid = makeFilmGrid({10, 15, 0, 15});
    grid->setFrame(window->bounds());
    auto films = FilmList::make([count, &posters](int, PagedListBase::Completion completion) {
        JSON::Storage rows = JSON::Storage::array();
        for (long i = 0; i < count; ++i) {
            rows.push_back(
                {{"vod_id", std::to_string(100000 + i)},
                 {"vod_name", "影片 " + std::to_string(i) + " 第" + std::to_string(i % 40 + 1) + "集"},
                 {"vod_pic", posters[static_cast<std::size_t>(i) % posters.size()]}});
        }
        completion(JSON(rows), std::nullopt);
    });
    auto source = std::make_shared<FilmGridDataSource>(films);
    grid->setDataSource(source);
    films->refresh();
    window->addSubview(grid);
    HeadlessHost host;
    return benchscroll::scroll(*grid, host, benchscroll::Motion::turning, 0);
}

// Keeps a round's figures and prints them.
void add(benchscroll::Comparison& comparison, const std::string& what, const benchscroll::FrameTimes& few,
         const benchscroll::FrameTimes& many) {
    comparison.add(few, many);
    std::printf("%s: 100 posters %.3f ms/frame, 1000 posters %.3f ms/frame (p50 %.3f, p99 %.3f)\n",
                what.c_str(), few.mean(), many.mean(), many.percentile(0.5), many.percentile(0.99));
}

bool report(const char* what, const benchscroll::Comparison& comparison) {
    std::printf("%s: per-frame cost 1000 / 100 posters %.3f (target 1.10 or less); "
                "99th-percentile frame with 1000 posters %.3f ms (target 8.3 ms or less)\n",
                what, comparison.ratio(), comparison.p99());
    return printVerdict((std::string(what) + " scrolling, 1000 against 100 posters").c_str(),
                        comparison.met());
}

} // namespace

int main(int argc, char** argv) {
    const fs::path work = fs::temp_directory_path() / ("orvex-home-bench-" + std::to_string(::getpid()));
    fs::create_directories(work);
    setenv("ORVEX_HOME", (work / "home").c_str(), 1);
    const fs::path media = argc > 1 ? fs::path(argv[1]) : work / "media";
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    setUpApplication();

    const FeedService many(work, "many", 1000 / kShelfPosters, media);
    const FeedService few(work, "few", 100 / kShelfPosters, media, &many);
    // Names resolve through the service's DNS over HTTPS, as the launch sets up.
    many.use();
    std::make_shared<appLink>()->allLinkInAppDoH();
    std::set<std::string> posters;
    scrollRecommendPage(many, &posters); // loads and decodes every poster once
    scrollRecommendPage(few, nullptr);   // warms text layouts and reduced posters
    std::vector<std::string> filmPosters;
    for (const auto& address : posters) {
        if (address.find("/images/poster/") != std::string::npos) {
            filmPosters.push_back(address);
        }
    }
    scrollCategoryGrid(100, filmPosters);

    benchscroll::Comparison recommend;
    benchscroll::Comparison grid;
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = "round " + std::to_string(round + 1);
        const auto [shortPage, longPage] = benchscroll::alternate(
            round, [&](bool longCase) { return scrollRecommendPage(longCase ? many : few, nullptr); });
        add(recommend, name + ", recommend page", shortPage, longPage);
        const auto [shortGrid, longGrid] = benchscroll::alternate(
            round, [&](bool longCase) { return scrollCategoryGrid(longCase ? 1000 : 100, filmPosters); });
        add(grid, name + ", category grid", shortGrid, longGrid);
    }
    const bool recommendMet = report("recommend page", recommend);
    const bool gridMet = report("category grid", grid);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return recommendMet && gridMet ? 0 : 1;
}
