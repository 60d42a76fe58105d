#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/Theme/Controller/KKpillleakViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "tests/support/app/AppJourney.h"
#include "tests/support/app/GridShape.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

using Parameters = std::map<std::string, std::string>;

class LibraryJourney : public testsupport::app::AppJourneyTest {
  protected:
    // Opens the library tab and waits for its first films and its filter rows.
    std::shared_ptr<KKspectacularaccountantViewController> openLibrary() {
        selectTab(1);
        auto page = topPageAs<KKspectacularaccountantViewController>();
        EXPECT_NE(page, nullptr);
        if (page) {
            EXPECT_TRUE(waitFor([&] { return !page->list().empty() && page->kkgrapeleap() != nullptr; }));
            playFrames(0.2);
        }
        return page;
    }

    // The filter button titled `title` in the row with that identifier.
    std::shared_ptr<QMUIButton> filterButton(const std::string& row, const std::string& title) {
        auto scroll = ui().findByAccessibilityIdentifier(row);
        if (!scroll || scroll->subviews().empty()) {
            ADD_FAILURE() << "no filter row " << row;
            return nullptr;
        }
        for (const auto& view : scroll->subviews().front()->subviews()) {
            auto button = std::dynamic_pointer_cast<QMUIButton>(view);
            if (button && button->currentTitle() == title) {
                return button;
            }
        }
        ADD_FAILURE() << "no button " << title << " in " << row;
        return nullptr;
    }

    // Taps a filter and waits for the grid's answer.
    void choose(const std::shared_ptr<KKspectacularaccountantViewController>& page, const std::string& row,
                const std::string& title) {
        auto button = filterButton(row, title);
        ASSERT_NE(button, nullptr);
        const std::size_t asked = apiRequests("/api/vodList").size();
        ui().tap(button);
        ASSERT_TRUE(waitFor([&] { return apiRequests("/api/vodList").size() > asked && page->isLoad(); }));
        playFrames(0.2);
    }

    static Parameters withoutSignature(Parameters parameters) {
        parameters.erase("timestamp");
        parameters.erase("sign");
        return parameters;
    }

    Parameters lastListRequest() {
        const auto requests = apiRequests("/api/vodList");
        return requests.empty() ? Parameters{} : withoutSignature(requests.back().parameters);
    }

    // The last request for page `page` of the grid.
    Parameters listRequestForPage(const std::string& page) {
        const auto requests = apiRequests("/api/vodList");
        for (auto request = requests.rbegin(); request != requests.rend(); ++request) {
            if (request->parameters.count("page") && request->parameters.at("page") == page) {
                return withoutSignature(request->parameters);
            }
        }
        return {};
    }

    // Waits until every poster in sight shows its picture rather than the placeholder.
    bool waitForPosters() {
        return waitFor([&] {
            const auto cells = ui().findAllOfClass<KKcreatesymphony>();
            return !cells.empty() && std::all_of(cells.begin(), cells.end(), [](const auto& cell) {
                return cell->kkdrainexempt()->image() != placeholderImage();
            });
        });
    }

    bool isSelected(const std::string& row, const std::string& title) {
        auto button = filterButton(row, title);
        return button && button->backgroundColor() == KKtyrepuzzle::selectedColor();
    }

    std::set<std::string> shownFilmIds(const KKspectacularaccountantViewController& page) {
        std::set<std::string> ids;
        for (const auto& film : page.list()) {
            ids.insert(film.vodId.value_or(""));
        }
        return ids;
    }

    // Scrolls the grid with the wheel to its end, where the footer asks for the next page.
    void scrollToEnd(const std::shared_ptr<KKspectacularaccountantViewController>& page) {
        ui().scroll(page->collectionView(), 0, -300);
        for (int step = 0; step < 40; ++step) {
            ui().scroll(page->collectionView(), 0, 300);
        }
    }

    void scrollToTop(const std::shared_ptr<KKspectacularaccountantViewController>& page) {
        for (int step = 0; step < 40; ++step) {
            ui().scroll(page->collectionView(), 0, -300);
        }
        playFrames(0.3);
    }
};

TEST_F(LibraryJourney, FiveFiltersNarrowTheGridWithExactlyTheChosenKeysAndPageOnWithThem) {
    auto page = openLibrary();
    ASSERT_NE(page, nullptr);
    // At first: type "1", and no other filter key at all.
    EXPECT_EQ(lastListRequest(), (Parameters{{"page", "1"}, {"pageSize", "15"}, {"type_id", "1"}}));
    EXPECT_EQ(page->list().size(), 15u);
    EXPECT_TRUE(isSelected("library.filter.type", "电影"));
    EXPECT_TRUE(isSelected("library.filter.class", "全部"));

    choose(page, "library.filter.type", "电视剧");
    EXPECT_EQ(lastListRequest(), (Parameters{{"page", "1"}, {"pageSize", "15"}, {"type_id", "2"}}));
    EXPECT_TRUE(isSelected("library.filter.type", "电视剧"));
    EXPECT_FALSE(isSelected("library.filter.type", "电影"));
    // The rows now hold the series' values, each starting with its first one marked.
    EXPECT_NE(filterButton("library.filter.area", "台湾"), nullptr);
    EXPECT_TRUE(isSelected("library.filter.area", "全部"));

    choose(page, "library.filter.class", "古装");
    choose(page, "library.filter.area", "大陆");
    choose(page, "library.filter.lang", "国语");
    choose(page, "library.filter.year", "2024");
    EXPECT_EQ(lastListRequest(), (Parameters{{"page", "1"},
                                             {"pageSize", "15"},
                                             {"type_id", "2"},
                                             {"class", "古装"},
                                             {"area", "大陆"},
                                             {"lang", "国语"},
                                             {"year", "2024"}}));
    EXPECT_EQ(shownFilmIds(*page), (std::set<std::string>{"1021"}));
    for (const auto& [row, title] : std::map<std::string, std::string>{{"library.filter.type", "电视剧"},
                                                                       {"library.filter.class", "古装"},
                                                                       {"library.filter.area", "大陆"},
                                                                       {"library.filter.lang", "国语"},
                                                                       {"library.filter.year", "2024"}}) {
        EXPECT_TRUE(isSelected(row, title)) << title;
    }
    EXPECT_FALSE(isSelected("library.filter.year", "全部"));
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_TRUE(waitForPosters());
    gallery("library-filters-chosen");

    // A combination without titles: the empty state, and no footer.
    choose(page, "library.filter.year", "2023");
    EXPECT_TRUE(page->list().empty());
    EXPECT_TRUE(page->isEmptyViewShowing());
    EXPECT_NE(ui().findByText("暂无数据"), nullptr);
    EXPECT_TRUE(page->collectionView()->mj_footer()->isHidden());
    gallery("library-empty");

    // Every row set to "全部" (sent as it is) shows all 20 series; paging keeps the filters.
    for (const char* row :
         {"library.filter.class", "library.filter.area", "library.filter.lang", "library.filter.year"}) {
        choose(page, row, "全部");
    }
    EXPECT_FALSE(page->isEmptyViewShowing());
    ASSERT_EQ(page->list().size(), 15u);
    const std::size_t asked = apiRequests("/api/vodList").size();
    scrollToEnd(page);
    ASSERT_TRUE(waitFor([&] { return page->list().size() == 20u; }));
    ASSERT_GT(apiRequests("/api/vodList").size(), asked);
    EXPECT_EQ(listRequestForPage("2"), (Parameters{{"page", "2"},
                                                   {"pageSize", "15"},
                                                   {"type_id", "2"},
                                                   {"class", "全部"},
                                                   {"area", "全部"},
                                                   {"lang", "全部"},
                                                   {"year", "全部"}}));
    EXPECT_EQ(shownFilmIds(*page).size(), 20u);
    // The page after the last is empty: the footer says there is no more.
    playFrames(0.3);
    scrollToEnd(page);
    ASSERT_TRUE(
        waitFor([&] { return page->collectionView()->mj_footer()->state() == MJRefreshState::noMoreData; }));
    EXPECT_EQ(lastListRequest().at("page"), "3");
    EXPECT_EQ(page->list().size(), 20u);

    // Choosing another type clears the four lower filters: their keys are gone.
    scrollToTop(page);
    choose(page, "library.filter.type", "动漫");
    EXPECT_EQ(lastListRequest(), (Parameters{{"page", "1"}, {"pageSize", "15"}, {"type_id", "4"}}));
    EXPECT_TRUE(isSelected("library.filter.class", "全部"));
}

TEST_F(LibraryJourney, APosterOpensItsResourceListAndTheTopicButtonTheTopics) {
    auto page = openLibrary();
    ASSERT_NE(page, nullptr);
    const std::string firstId = page->list().front().vodId.value_or("");
    auto cells = ui().findAllOfClass<KKcreatesymphony>();
    ASSERT_FALSE(cells.empty());
    EXPECT_TRUE(
        testsupport::app::hasEvenColumns(testsupport::app::gridShapeOf(ui(), page->collectionView()), 3))
        << "a phone shows three posters across";
    auto first = page->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::static_pointer_cast<KKcreatesymphony>(first)->name()->text(),
              page->list().front().vodName.value_or(""));
    ui().tap(first);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKgiganticgloomy>() != nullptr; }));
    EXPECT_EQ(topPageAs<KKgiganticgloomy>()->vod_id, firstId);
    playFrames(0.6);
    ui().tap(ui().findByAccessibilityIdentifier("Back"));
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKspectacularaccountantViewController>() != nullptr; }));
    playFrames(0.6);

    ui().tap(page->kkregulationmaintain());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKpillleakViewController>() != nullptr; }));
    // The topics are pushed without the tab bar.
    EXPECT_TRUE(topPage()->hidesBottomBarWhenPushed());
}

class CachedTreeLibraryJourney : public LibraryJourney {
  protected:
    // A stored tree of one type only: it is what the header shows, while the service's
    // answer only replaces the store.
    void beforeLaunch() override {
        userDefaults().setString("library_parseJSON",
                                 R"([{"type_name":"纪录片","type_id":"9","class":["全部","自然"],)"
                                 R"("area":["全部"],"lang":[],"year":["全部","2024"]}])");
    }
};

TEST_F(CachedTreeLibraryJourney, TheStoredTreeShowsAtOnceAndTheServiceTreeIsOnlyStored) {
    selectTab(1);
    auto page = topPageAs<KKspectacularaccountantViewController>();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(
        waitFor([&] { return page->kkgrapeleap() != nullptr && !apiRequests("/api/tagList").empty(); }));
    ASSERT_TRUE(waitFor([&] {
        auto stored = userDefaults().stringForKey("library_parseJSON");
        return stored && stored->find("电视剧") != std::string::npos;
    }));
    playFrames(0.3);
    EXPECT_NE(filterButton("library.filter.type", "纪录片"), nullptr);
    EXPECT_EQ(ui().findByText("电视剧"), nullptr);
    // One value hides its row; no value leaves an empty row in place.
    EXPECT_TRUE(ui().findByAccessibilityIdentifier("library.filter.area", true)->isHidden());
    EXPECT_FALSE(ui().findByAccessibilityIdentifier("library.filter.lang", true)->isHidden());
    // Without a narrower filter chosen, the first type still asks for type "1".
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/vodList").empty(); }));
    EXPECT_EQ(lastListRequest().at("type_id"), "1");
}

TEST_F(LibraryJourney, AFailedPageIsAskedAgainAndTheControlsStop) {
    auto page = openLibrary();
    ASSERT_NE(page, nullptr);
    service().setFault("/api/vodList", devservice::Fault{.status = 500});
    const std::size_t asked = apiRequests("/api/vodList").size();
    scrollToEnd(page);
    ASSERT_TRUE(waitFor([&] {
        return apiRequests("/api/vodList").size() > asked &&
               !page->collectionView()->mj_footer()->isRefreshing();
    }));
    EXPECT_EQ(lastListRequest().at("page"), "2");
    EXPECT_EQ(page->page(), 1);
    EXPECT_EQ(page->list().size(), 15u);
    service().clearFaults();
    playFrames(0.3);
    scrollToEnd(page);
    ASSERT_TRUE(waitFor([&] { return page->list().size() == 20u; }));
    // The failed page 2 is asked again, not skipped for page 3.
    std::vector<std::string> pages;
    for (const auto& request : apiRequests("/api/vodList")) {
        pages.push_back(request.parameters.at("page"));
    }
    ASSERT_GE(pages.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(pages.begin(), pages.begin() + 3),
              (std::vector<std::string>{"1", "2", "2"}));
}

class LibraryTabletJourney : public LibraryJourney {
  protected:
    LibraryTabletJourney() { screen = UIScreen::Metrics::tablet(); }
};

TEST_F(LibraryTabletJourney, ATabletShowsFourPostersAcrossUnderFilterRowsAsWideAsTheScreen) {
    auto page = openLibrary();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(waitForPosters());
    gallery("tablet-library");
    const auto shape = testsupport::app::gridShapeOf(ui(), page->collectionView());
    EXPECT_TRUE(testsupport::app::hasEvenColumns(shape, 4));
    EXPECT_NEAR(shape.leftMargin, 15, 0.5);
    EXPECT_NEAR(shape.item.height / shape.item.width, 16.0 / 9, 0.001) << "upright 9:16 posters";
    const CGRect header = ui().frameInWindow(page->kkgrapeleap());
    EXPECT_EQ(header.size.width, window()->bounds().size.width) << "the filter rows span the screen";
    EXPECT_GE(shape.top, CGRectGetMaxY(header)) << "the posters start under the filter rows";

    // The choice of a filter keeps the four columns.
    choose(page, "library.filter.type", "电视剧");
    EXPECT_TRUE(waitForPosters());
    EXPECT_TRUE(
        testsupport::app::hasEvenColumns(testsupport::app::gridShapeOf(ui(), page->collectionView()), 4));
}

} // namespace
