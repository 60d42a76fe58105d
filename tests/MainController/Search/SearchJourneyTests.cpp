#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Search/Controller/KKtenseadjacentViewController.h"
#include "MainController/Search/View/KKsubsequentbasically.h"
#include "MainController/Theme/Cell/KKditchgaze.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/support/app/AppJourney.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Page = KKtenseadjacentViewController;

class SearchJourney : public testsupport::app::AppJourneyTest {
  protected:
    // Opens the search page from the home page's search box.
    std::shared_ptr<Page> openSearch() {
        showHome();
        EXPECT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
        auto box = ui().findByAccessibilityIdentifier("home.search");
        EXPECT_NE(box, nullptr);
        ui().tap(box);
        playFrames(0.6);
        auto page = topPageAs<Page>();
        EXPECT_NE(page, nullptr);
        return page;
    }

    void showHome() { selectTab(0); }

    // Opens the search page with a keyword, as the short-video feed does for a title it
    // cannot find: pushed onto the first tab's navigation stack.
    std::shared_ptr<Page> openSearchFor(const std::string& text) {
        showHome();
        auto page = std::make_shared<Page>();
        page->text = text;
        auto navigation =
            std::dynamic_pointer_cast<UINavigationController>(mainInterface()->selectedViewController());
        EXPECT_NE(navigation, nullptr);
        navigation->pushViewController(page, true);
        playFrames(0.6);
        EXPECT_EQ(topPageAs<Page>(), page);
        return page;
    }

    // The keywords of the requests the service received for `path`, oldest first.
    std::vector<std::string> sent(const std::string& path, const std::string& key = "keyword") const {
        std::vector<std::string> values;
        for (const auto& request : apiRequests(path)) {
            const auto found = request.parameters.find(key);
            values.push_back(found == request.parameters.end() ? "" : found->second);
        }
        return values;
    }

    // The titles of the ranked lines in `stack`, line by line.
    static std::vector<std::string> titlesIn(UIStackView& stack) {
        std::vector<std::string> titles;
        for (const auto& line : stack.subviews()) {
            for (const auto& part : line->subviews()) {
                if (auto row = std::dynamic_pointer_cast<KKsubsequentbasically>(part)) {
                    titles.push_back(row->title()->text());
                }
            }
        }
        return titles;
    }

    // The ranked line showing `title` in `stack`.
    static std::shared_ptr<KKsubsequentbasically> lineIn(UIStackView& stack, const std::string& title) {
        for (const auto& line : stack.subviews()) {
            for (const auto& part : line->subviews()) {
                auto row = std::dynamic_pointer_cast<KKsubsequentbasically>(part);
                if (row && row->title()->text() == title) {
                    return row;
                }
            }
        }
        return nullptr;
    }

    std::vector<std::string> resultNames(const Page& page) const {
        std::vector<std::string> names;
        for (const auto& film : page.list()) {
            names.push_back(film.vodName.value_or(""));
        }
        return names;
    }

    std::vector<std::string> suggestionNames(const Page& page) const {
        std::vector<std::string> names;
        for (const auto& item : page.relation) {
            names.push_back(item["vod_name"].stringValue());
        }
        return names;
    }

    // Drags the results up once, letting a page the footer asks for arrive.
    void dragResults(Page& page) {
        const CGRect frame = ui().frameInWindow(page.tableView());
        ui().drag({frame.origin.x + 100, frame.origin.y + frame.size.height - 40},
                  {frame.origin.x + 100, frame.origin.y + 40}, 0.2);
        playFrames(0.5);
        waitFor([&] { return !page.tableView()->mj_footer()->isRefreshing(); });
    }

    // Drags the results up until `done`.
    bool dragResultsUntil(Page& page, const std::function<bool()>& done) {
        for (int i = 0; i < 20 && !done(); ++i) {
            dragResults(page);
        }
        return waitFor(done);
    }

    // Waits until every result row in sight shows its poster instead of the placeholder.
    bool waitForPosters(Page& page) {
        return waitFor([&] {
            for (const auto& cell : page.tableView()->visibleCells()) {
                auto row = std::dynamic_pointer_cast<KKditchgaze>(cell);
                if (!row || !row->kkdrainexempt()->image() ||
                    row->kkdrainexempt()->image() == placeholderImage()) {
                    return false;
                }
            }
            return true;
        });
    }

    // Lets another answer arrive, as a suggestion answer would: every answer takes the
    // loading tip away, so that the page can be used while a slow request is out.
    // How many answers for `path` the client has handled (each logs its path then).
    long answersHandled(const std::string& path) const {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), path);
    }

    void answerSomethingElse() {
        bool answered = false;
        apiClient.sendRequest(HTTPMethod::get, "api/searchTipList", {},
                              [&answered](std::optional<JSON>, std::optional<NSError>) { answered = true; });
        ASSERT_TRUE(waitFor([&] { return answered; }));
        ui().runLoop();
    }

    void typeInto(Page& page, const std::string& text) {
        if (!page.kkcommonplaceremedy()->isEditing()) {
            ui().tap(page.kkcommonplaceremedy());
        }
        ui().type(text);
    }

    void clearField(Page& page) {
        if (!page.kkcommonplaceremedy()->isEditing()) {
            ui().tap(page.kkcommonplaceremedy());
        }
        page.kkcommonplaceremedy()->clearText();
        ui().runLoop();
    }
};

// The films the development service lists as hot searches, in order.
const std::vector<std::string> kHotNames = {"长风破浪",   "云中谁寄锦书来", "今晚不睡觉 🌙",  "熊猫日记",
                                            "烈火英雄传", "风起洛川",       "快乐大本营 😂🎉", "魔法学院",
                                            "无声的证词", "梦回大唐"};

TEST_F(SearchJourney, HotListSuggestionsPagedResultsAndHistory) {
    auto page = openSearch();
    // The keyboard is open on the empty field; the hot list comes in with ranked badges.
    EXPECT_TRUE(page->kkcommonplaceremedy()->isFirstResponder());
    EXPECT_EQ(page->kkcommonplaceremedy()->placeholder(), "请输入完整的搜索内容");
    ASSERT_TRUE(waitFor([&] { return page->kkpoliticianuniverse.size() == kHotNames.size(); }));
    playFrames(0.3);
    EXPECT_EQ(titlesIn(*page->kkloungecandy()), kHotNames);
    EXPECT_EQ(page->kkloungecandy()->subviews().size(), 5u);
    const std::vector<UIColor> badges = {hexColor("D73F3F"), hexColor("E77E29"), hexColor("EA9D1C"),
                                         hexColor("8F8E93")};
    for (std::size_t i = 0; i < badges.size(); ++i) {
        auto badge = ui().findByText(std::to_string(i + 1));
        ASSERT_NE(badge, nullptr) << i;
        EXPECT_EQ(badge->backgroundColor(), badges[i]) << i;
    }
    EXPECT_TRUE(page->kkremedyiri()->isHidden()); // no history on a fresh install
    EXPECT_EQ(sent("/api/searchTipList").size(), 1u);
    gallery("search-start");

    // Typing asks for suggestions; the typed text is marked in each.
    typeInto(*page, "的");
    ASSERT_TRUE(waitFor([&] { return !page->relation.empty(); }));
    playFrames(0.2);
    EXPECT_FALSE(page->searchTableView()->isHidden());
    EXPECT_EQ(sent("/api/searchText"), std::vector<std::string>{"的"});
    const auto names = suggestionNames(*page);
    EXPECT_NE(std::find(names.begin(), names.end(), "最后的信使"), names.end());
    auto cell = page->searchTableView()->cellForRowAtIndexPath(
        NSIndexPath::indexPathForRow(std::find(names.begin(), names.end(), "最后的信使") - names.begin(), 0));
    ASSERT_NE(cell, nullptr);
    const NSAttributedString shown = cell->textLabel()->attributedText();
    EXPECT_EQ(shown.string(), "最后的信使");
    EXPECT_EQ(shown.attributesAtIndex(1).foregroundColor, UIColor::whiteColor());
    EXPECT_EQ(shown.attributesAtIndex(2).foregroundColor, hexColor("D73F3F"));
    EXPECT_EQ(shown.attributesAtIndex(3).foregroundColor, UIColor::whiteColor());
    gallery("search-suggestions");

    // A Latin keyword: its first occurrence is marked, case-sensitively.
    clearField(*page);
    EXPECT_TRUE(page->searchTableView()->isHidden());
    typeInto(*page, "City");
    ASSERT_TRUE(
        waitFor([&] { return suggestionNames(*page) == std::vector<std::string>{"城市之光 City Lights"}; }));
    playFrames(0.2);
    const NSAttributedString latin = page->searchTableView()
                                         ->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0))
                                         ->textLabel()
                                         ->attributedText();
    EXPECT_EQ(latin.attributesAtIndex(4).foregroundColor, UIColor::whiteColor());
    EXPECT_EQ(latin.attributesAtIndex(5).foregroundColor, hexColor("D73F3F"));
    EXPECT_EQ(latin.attributesAtIndex(8).foregroundColor, hexColor("D73F3F"));
    EXPECT_EQ(latin.attributesAtIndex(9).foregroundColor, UIColor::whiteColor());

    // Return searches: 20 films match "天", 15 on the first page.
    clearField(*page);
    typeInto(*page, "天");
    ui().pressKey(UIKeyCommand::returnKey);
    EXPECT_TRUE(page->searchTableView()->isHidden());
    EXPECT_FALSE(page->kkcommonplaceremedy()->isFirstResponder());
    ASSERT_TRUE(waitFor([&] { return page->list().size() == 15; }));
    playFrames(0.3);
    EXPECT_FALSE(page->tableView()->isHidden());
    EXPECT_FALSE(page->tableView()->mj_footer()->isHidden());
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_EQ(titlesIn(*page->kkiriintrigue()), std::vector<std::string>{"天"});
    EXPECT_FALSE(page->kkremedyiri()->isHidden());
    EXPECT_TRUE(waitForPosters(*page));
    gallery("search-results");

    // Scrolling to the end loads the short second page, then the empty third one ends it.
    const auto& footer = page->tableView()->mj_footer();
    ASSERT_TRUE(dragResultsUntil(*page, [&] { return footer->state() == MJRefreshState::noMoreData; }));
    EXPECT_EQ(page->list().size(), 20u);
    EXPECT_EQ(sent("/api/searchList", "page"), (std::vector<std::string>{"1", "2", "3"}));
    // Nothing more is asked for once the end is reported.
    for (int i = 0; i < 3; ++i) {
        dragResults(*page);
    }
    EXPECT_EQ(sent("/api/searchList").size(), 3u);
    EXPECT_EQ(sent("/api/searchList", "pageSize"), (std::vector<std::string>{"15", "15", "15"}));
    EXPECT_TRUE(waitForPosters(*page));
    gallery("search-results-end");

    // A result opens that film's resource list (once the list has come to rest).
    playFrames(2);
    const auto visible = page->tableView()->indexPathsForVisibleRows();
    ASSERT_GE(visible.size(), 2u);
    const NSIndexPath chosen = visible[visible.size() / 2];
    const std::string vodId = page->list()[static_cast<std::size_t>(chosen.row())].vodId.value_or("");
    ui().tap(page->tableView()->cellForRowAtIndexPath(chosen));
    playFrames(0.6);
    auto resources = topPageAs<KKgiganticgloomy>();
    ASSERT_NE(resources, nullptr);
    EXPECT_EQ(resources->vod_id, vodId);
    resources->navigationController()->popViewControllerAnimated(false);
    playFrames(0.3);

    // Back, then a new search page: the keyword heads the history; searching again by
    // tapping it does not repeat it, and the field shows it without asking for suggestions.
    ui().tap(page->kkdilemmaspectacular());
    playFrames(0.6);
    EXPECT_EQ(topPageAs<Page>(), nullptr);
    page = openSearch();
    EXPECT_EQ(titlesIn(*page->kkiriintrigue()), std::vector<std::string>{"天"});
    EXPECT_FALSE(page->kkremedyiri()->isHidden());
    typeInto(*page, "Island");
    ui().pressKey(UIKeyCommand::returnKey);
    ASSERT_TRUE(
        waitFor([&] { return resultNames(*page) == std::vector<std::string>{"孤岛救援 Island Rescue"}; }));
    EXPECT_EQ(titlesIn(*page->kkiriintrigue()), (std::vector<std::string>{"Island", "天"}));
    // Return on the emptied field uncovers the history again.
    clearField(*page);
    ui().pressKey(UIKeyCommand::returnKey);
    EXPECT_TRUE(page->tableView()->isHidden());
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    gallery("search-start-history");
    const auto suggestionsAsked = sent("/api/searchText").size();
    ui().tap(lineIn(*page->kkiriintrigue(), "天"));
    EXPECT_EQ(page->kkcommonplaceremedy()->text(), "天");
    ASSERT_TRUE(waitFor([&] { return page->list().size() == 15; }));
    EXPECT_EQ(titlesIn(*page->kkiriintrigue()), (std::vector<std::string>{"天", "Island"}));
    EXPECT_EQ(userDefaults().stringArrayForKey("history"), (std::vector<std::string>{"天", "Island"}));
    EXPECT_EQ(sent("/api/searchText").size(), suggestionsAsked);
    // The next edit is the user's own: it asks for suggestions again.
    typeInto(*page, "空");
    ASSERT_TRUE(waitFor([&] { return sent("/api/searchText").size() == suggestionsAsked + 1; }));
    EXPECT_EQ(sent("/api/searchText").back(), "天空");
}

TEST_F(SearchJourney, OnlyAnswersForTheLatestTextAndKeywordAreShown) {
    auto page = openSearch();
    // The suggestions for "a" come late, after those for "ab".
    service().setFault("api/searchText", {.delaySeconds = 1.5, .times = 1});
    typeInto(*page, "a");
    typeInto(*page, "b");
    ASSERT_TRUE(waitFor([&] { return !page->relation.empty(); }));
    EXPECT_EQ(suggestionNames(*page), std::vector<std::string>{"山海之约 A Fable of Mountains and Seas"});
    gallery("search-suggestions-latin");

    // The results for "a" come late too, after the user searched "ab" instead.
    clearField(*page);
    service().setFault("api/searchList", {.delaySeconds = 1.5, .times = 1});
    typeInto(*page, "a");
    ui().pressKey(UIKeyCommand::returnKey);
    // The service has the search for "a" (and holds its answer back) before "ab" is sent.
    ASSERT_TRUE(waitFor([&] { return sent("/api/searchList").size() == 1; }));
    answerSomethingElse();
    typeInto(*page, "b");
    ui().pressKey(UIKeyCommand::returnKey);
    ASSERT_TRUE(waitFor([&] { return !page->list().empty(); }));
    EXPECT_EQ(resultNames(*page), std::vector<std::string>{"山海之约 A Fable of Mountains and Seas"});

    // Both late answers arrive and are handled: they change nothing.
    ASSERT_TRUE(waitFor(
        [&] { return answersHandled("api/searchText") == 4 && answersHandled("api/searchList") == 2; }));
    playFrames(0.5);
    EXPECT_EQ(suggestionNames(*page), std::vector<std::string>{});
    EXPECT_EQ(resultNames(*page), std::vector<std::string>{"山海之约 A Fable of Mountains and Seas"});
    // (Requests sent together may reach the service in either order.)
    auto asked = sent("/api/searchText");
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"a", "a", "ab", "ab"}));
    EXPECT_EQ(sent("/api/searchList"), (std::vector<std::string>{"a", "ab"}));

    // A page closed before its answer arrives is simply gone when it does.
    service().setFault("api/searchList", {.delaySeconds = 1, .times = 1});
    clearField(*page);
    typeInto(*page, "Island");
    ui().pressKey(UIKeyCommand::returnKey);
    answerSomethingElse();
    ui().tap(page->kkdilemmaspectacular());
    playFrames(0.6);
    std::weak_ptr<Page> closed = page;
    page.reset();
    EXPECT_EQ(topPage(), mainInterface()->selectedViewController()->childViewControllers().front());
    EXPECT_EQ(closed.use_count(), 0);
    ASSERT_TRUE(waitFor([&] { return answersHandled("api/searchList") == 3; }));
    playFrames(0.5);
}

TEST_F(SearchJourney, EmptyResultsAFailedHotListAndReturnOnAnEmptyField) {
    service().setFault("api/searchTipList", {.status = 500, .times = 1});
    auto page = openSearch();
    ASSERT_TRUE(waitFor([&] { return sent("/api/searchTipList").size() == 1; }));
    // The request layer shows what failed; the page is usable again once that has gone.
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    // The hot area stays empty under its title; a touch on the background puts the
    // keyboard away.
    EXPECT_FALSE(page->kkintriguepolitician()->isHidden());
    EXPECT_TRUE(page->kkloungecandy()->subviews().empty());
    EXPECT_TRUE(page->kkcommonplaceremedy()->isFirstResponder());
    ui().tap(CGPointMake(200, 600));
    EXPECT_FALSE(page->kkcommonplaceremedy()->isFirstResponder());

    typeInto(*page, "没有这部电影");
    ui().pressKey(UIKeyCommand::returnKey);
    ASSERT_TRUE(waitFor([&] { return page->isEmptyViewShowing(); }));
    playFrames(0.3);
    EXPECT_TRUE(page->list().empty());
    EXPECT_TRUE(page->tableView()->mj_footer()->isHidden());
    EXPECT_NE(ui().findByText("暂无数据"), nullptr);
    // The history starts below the empty hot area, not over the bar.
    EXPECT_GE(page->kkremedyiri()->frame().origin.y, CGRectGetMaxY(page->kkloungecandy()->frame()));
    gallery("search-empty");

    // Return on the emptied field goes back to the hot list and the history.
    clearField(*page);
    ui().pressKey(UIKeyCommand::returnKey);
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_TRUE(page->tableView()->isHidden());
    EXPECT_TRUE(page->searchTableView()->isHidden());
    EXPECT_EQ(sent("/api/searchList").size(), 1u);
    EXPECT_NE(ui().findByText("没有这部电影"), nullptr); // its history line

    // Another visit gets the hot list; a hot line searches its film.
    ui().tap(page->kkdilemmaspectacular());
    playFrames(0.6);
    page = openSearch();
    ASSERT_TRUE(waitFor([&] { return !page->kkloungecandy()->subviews().empty(); }));
    playFrames(0.3);
    const auto suggestionsAsked = sent("/api/searchText").size();
    ui().tap(lineIn(*page->kkloungecandy(), "熊猫日记"));
    EXPECT_EQ(page->kkcommonplaceremedy()->text(), "熊猫日记");
    ASSERT_TRUE(waitFor([&] { return resultNames(*page) == std::vector<std::string>{"熊猫日记"}; }));
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_EQ(sent("/api/searchText").size(), suggestionsAsked);
    EXPECT_EQ(userDefaults().stringArrayForKey("history"),
              (std::vector<std::string>{"熊猫日记", "没有这部电影"}));
}

TEST_F(SearchJourney, ANewKeywordKeepsWhatThePageSaidUntilItsAnswerAndAFailedSearchSaysWhy) {
    auto page = openSearch();
    const auto tipShown = [](const std::string& text) {
        const auto& tips = QMUITips::shownTips();
        return std::any_of(tips.begin(), tips.end(), [&](const auto& tip) { return tip.text == text; });
    };
    // Every answer takes the tips away, so no suggestion is asked for: each keyword is
    // written into the field as the page writes a tapped line, then searched with return.
    const auto searchFor = [&](const std::string& keyword) {
        if (!page->kkcommonplaceremedy()->isEditing()) {
            ui().tap(page->kkcommonplaceremedy());
        }
        page->isClick = true;
        page->kkcommonplaceremedy()->setText(keyword);
        page->isClick = false;
        ui().pressKey(UIKeyCommand::returnKey);
    };
    ASSERT_TRUE(waitFor([&] { return page->kkpoliticianuniverse.size() == kHotNames.size(); }));
    searchFor("没有这部电影");
    ASSERT_TRUE(waitFor([&] { return page->isEmptyViewShowing(); }));
    EXPECT_TRUE(sent("/api/searchText").empty());

    // The next keyword's search is slow and its connection drops: "暂无数据" stays while it
    // is out and after it failed, and the page says why nothing new came.
    service().setFault("api/searchList", {.delaySeconds = 1, .dropConnection = true, .times = 1});
    searchFor("也没有这部");
    playFrames(0.2);
    EXPECT_TRUE(page->isEmptyViewShowing()) << "the empty view changes on the answer";
    ASSERT_TRUE(waitFor([&] { return tipShown(KKriplog::transportErrorDomain); }));
    playFrames(0.3);
    EXPECT_TRUE(page->list().empty());
    EXPECT_TRUE(page->isEmptyViewShowing());
    EXPECT_NE(ui().findByText("暂无数据"), nullptr);
    gallery("search-failed-after-empty");

    // After results, a failed new keyword leaves the table empty without the empty view,
    // as the list was before its answer, and says why.
    ASSERT_TRUE(waitFor([&] { return QMUITips::shownTips().empty(); }));
    searchFor("熊猫日记");
    ASSERT_TRUE(waitFor([&] { return resultNames(*page) == std::vector<std::string>{"熊猫日记"}; }));
    EXPECT_FALSE(page->isEmptyViewShowing());
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    service().setFault("api/searchList", {.dropConnection = true, .times = 1});
    searchFor("天");
    ASSERT_TRUE(waitFor([&] { return tipShown(KKriplog::transportErrorDomain); }));
    EXPECT_TRUE(page->list().empty());
    EXPECT_FALSE(page->isEmptyViewShowing());
    gallery("search-failed");

    // A failure the service explains shows the service's message only.
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    service().setFault("api/searchList",
                       {.rawBody = R"({"code":50000,"message":"服务繁忙","data":""})", .times = 1});
    searchFor("剑");
    ASSERT_TRUE(waitFor([&] { return tipShown("服务繁忙"); }));
    playFrames(0.3);
    EXPECT_FALSE(tipShown(KKriplog::transportErrorDomain) || tipShown(KKriplog::notJSONErrorDomain));
}

TEST_F(SearchJourney, APresetTextIsSearchedAtOnceAndAFailedPageIsAskedAgain) {
    auto page = openSearchFor("天");
    EXPECT_EQ(page->kkcommonplaceremedy()->text(), "天");
    ASSERT_TRUE(waitFor([&] { return page->list().size() == 15; }));
    EXPECT_TRUE(sent("/api/searchText").empty());
    EXPECT_EQ(userDefaults().stringArrayForKey("history"), std::vector<std::string>{"天"});

    // The second page fails once: the footer stops loading and the same page is asked
    // for at the next scroll to the end.
    service().setFault("api/searchList", {.status = 500, .times = 1});
    const auto& footer = page->tableView()->mj_footer();
    ASSERT_TRUE(dragResultsUntil(
        *page, [&] { return sent("/api/searchList").size() >= 2 && !footer->isRefreshing(); }));
    if (sent("/api/searchList").size() == 2) { // not yet asked again on its own
        EXPECT_EQ(page->list().size(), 15u);
        EXPECT_EQ(page->page(), 1);
        EXPECT_EQ(footer->state(), MJRefreshState::idle);
    }
    ASSERT_TRUE(dragResultsUntil(*page, [&] { return footer->state() == MJRefreshState::noMoreData; }));
    EXPECT_EQ(page->list().size(), 20u);
    EXPECT_EQ(sent("/api/searchList", "page"), (std::vector<std::string>{"1", "2", "2", "3"}));

    // A new keyword pages again from its first page (once the failure's message has gone).
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    clearField(*page);
    typeInto(*page, "剑");
    ui().pressKey(UIKeyCommand::returnKey);
    ASSERT_TRUE(waitFor([&] { return !page->list().empty(); }));
    EXPECT_EQ(page->tableView()->mj_footer()->state(), MJRefreshState::idle);
    EXPECT_EQ(sent("/api/searchList", "page").back(), "1");
    EXPECT_EQ(resultNames(*page), (std::vector<std::string>{"剑啸江湖", "少年剑仙"}));
}

TEST_F(SearchJourney, ComposedInputAsksForTheCommittedTextOnly) {
    auto page = openSearch();
    // Pinyin typed through the input method: the composition shows in the field, and
    // only the chosen characters are searched for.
    for (const char* composing : {"t", "ti", "tia", "tian", "天"}) {
        window()->handleMarkedText(composing);
        ui().runLoop();
    }
    EXPECT_EQ(page->kkcommonplaceremedy()->text(), "天");
    EXPECT_TRUE(page->kkcommonplaceremedy()->markedTextRange().has_value());
    EXPECT_TRUE(page->searchTableView()->isHidden());
    window()->handleTextInput("天");
    ui().runLoop();
    EXPECT_FALSE(page->kkcommonplaceremedy()->markedTextRange().has_value());
    ASSERT_TRUE(waitFor([&] { return !page->relation.empty(); }));
    EXPECT_EQ(sent("/api/searchText"), std::vector<std::string>{"天"});
    EXPECT_FALSE(page->searchTableView()->isHidden());

    // Choosing a suggestion searches its name, written into the field without asking for
    // suggestions for it.
    playFrames(0.3);
    const std::string chosen = suggestionNames(*page).front();
    ui().tap(page->searchTableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)));
    EXPECT_EQ(page->kkcommonplaceremedy()->text(), chosen);
    EXPECT_FALSE(page->kkcommonplaceremedy()->isFirstResponder());
    EXPECT_TRUE(page->searchTableView()->isHidden());
    EXPECT_TRUE(page->relation.empty());
    ASSERT_TRUE(waitFor([&] { return !page->list().empty(); }));
    EXPECT_EQ(resultNames(*page).front(), chosen);
    EXPECT_EQ(sent("/api/searchList"), std::vector<std::string>{chosen});
    EXPECT_EQ(sent("/api/searchText").size(), 1u);
}

} // namespace
