#include "MainController/Search/Controller/SearchHistory.h"
#include "MainController/Search/View/SearchRankedLines.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchHistory, KeywordsGoFirstOnceAndNothingIsDropped) {
    const auto folder = testsupport::freshFolder("history");
    UserDefaults defaults(folder / "defaults.plist");
    EXPECT_EQ(SearchHistory::entries(defaults), std::nullopt);

    for (const char* keyword : {"天", "Alpha", "剑", "Alpha"}) {
        SearchHistory::record(defaults, keyword);
    }
    EXPECT_EQ(SearchHistory::entries(defaults), (std::vector<std::string>{"Alpha", "剑", "天"}));
    for (int i = 0; i < 40; ++i) {
        SearchHistory::record(defaults, "k" + std::to_string(i));
    }
    EXPECT_EQ(SearchHistory::entries(defaults)->size(), 43u);

    // Case and spacing make different keywords; the stored order survives a reload.
    SearchHistory::record(defaults, "alpha");
    SearchHistory::record(defaults, "天 ");
    UserDefaults reloaded(folder / "defaults.plist");
    const auto stored = SearchHistory::entries(reloaded);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(std::vector<std::string>(stored->begin(), stored->begin() + 3),
              (std::vector<std::string>{"天 ", "alpha", "k39"}));
}

TEST(SearchHistory, AValueOfAnotherKindIsReplacedByTheNextSearch) {
    UserDefaults defaults(testsupport::freshFolder("history-kind") / "defaults.plist");
    defaults.setString(SearchHistory::key, "天");
    EXPECT_EQ(SearchHistory::entries(defaults), std::nullopt);
    defaults.setObject(SearchHistory::key, JSON::parse(R"(["天", 3])"));
    EXPECT_EQ(SearchHistory::entries(defaults), std::nullopt);
    EXPECT_EQ(SearchHistory::record(defaults, "剑"), std::vector<std::string>{"剑"});
    EXPECT_EQ(SearchHistory::entries(defaults), std::vector<std::string>{"剑"});
}

TEST(SearchRankedLines, TwoToALineWithTheLastOddOneFillingItsLine) {
    auto area = std::make_shared<UIView>(CGRectMake(0, 0, 390, 400));
    auto stack = std::make_shared<UIStackView>();
    stack->setAxis(UILayoutConstraintAxis::vertical);
    stack->setSpacing(12);
    stack->setDistribution(UIStackViewDistribution::equalSpacing);
    area->addSubview(stack);
    stack->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview();
        make.left.equalToSuperview().offset(15);
        make.right.equalToSuperview().inset(15);
    });
    std::vector<std::shared_ptr<KKsubsequentbasically>> lines;
    for (std::size_t i = 0; i < 5; ++i) {
        lines.push_back(makeRankedLine(i, "第" + std::to_string(i + 1) + "名", hotBadgeColour(i), [] {}));
        placeTwoToALine(*stack, lines.back(), i);
    }
    area->layoutIfNeeded();

    ASSERT_EQ(stack->subviews().size(), 3u);
    EXPECT_EQ(lines[0]->frame(), CGRectMake(0, 0, 180, 18));
    EXPECT_EQ(lines[1]->frame(), CGRectMake(180, 0, 180, 18));
    EXPECT_EQ(lines[4]->frame(), CGRectMake(0, 0, 360, 18));
    EXPECT_EQ(stack->subviews()[2]->frame().origin.y, 60);
    EXPECT_EQ(lines[3]->kkinsteadaccident()->text(), "4");
    EXPECT_EQ(lines[3]->title()->text(), "第4名");
    EXPECT_TRUE(lines[3]->isUserInteractionEnabled());

    const std::vector<UIColor> expected = {hexColor("D73F3F"), hexColor("E77E29"), hexColor("EA9D1C"),
                                           hexColor("8F8E93"), hexColor("8F8E93")};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]->kkinsteadaccident()->backgroundColor(), expected[i]) << i;
    }
    EXPECT_EQ(historyBadgeColour(), hexColor("8F8E93"));
}

} // namespace
