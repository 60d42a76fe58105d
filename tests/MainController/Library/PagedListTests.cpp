#include "MainController/Library/Model/PagedList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

TEST(PagedList, AFirstPageReplacesAndLaterPagesAppendInOrder) {
    PagedList<std::string> list;
    auto first = list.firstPage();
    EXPECT_EQ(first.page, 1);
    ASSERT_TRUE(list.accept(first, {"a", "b"}));
    auto second = list.nextPage();
    EXPECT_EQ(second.page, 2);
    ASSERT_TRUE(list.accept(second, {"b", "c"}));
    // Duplicates across pages stay: the service's order is kept as it is.
    EXPECT_EQ(list.items(), (Rows{"a", "b", "b", "c"}));
    auto again = list.firstPage();
    EXPECT_EQ(list.page(), 1);
    ASSERT_TRUE(list.accept(again, {"z"}));
    EXPECT_EQ(list.items(), (Rows{"z"}));
}

TEST(PagedList, AnswersToRequestsOfAnEarlierStartAreDropped) {
    PagedList<std::string> list;
    ASSERT_TRUE(list.accept(list.firstPage(), {"a"}));
    // A load-more is on its way when the user pulls down (or picks another filter).
    const auto pageTwo = list.nextPage();
    const auto restart = list.firstPage();
    // The restart's answer comes first; the old page 2 must not mix into the new rows.
    EXPECT_TRUE(list.accept(restart, {"new"}));
    EXPECT_FALSE(list.accept(pageTwo, {"old"}));
    EXPECT_EQ(list.items(), (Rows{"new"}));
    // Two quick restarts: only the last one's answer counts, whatever the order.
    const auto firstFilter = list.firstPage();
    const auto secondFilter = list.firstPage();
    EXPECT_TRUE(list.accept(secondFilter, {"second"}));
    EXPECT_FALSE(list.accept(firstFilter, {"first"}));
    EXPECT_EQ(list.items(), (Rows{"second"}));
    EXPECT_FALSE(list.fail(firstFilter));
}

TEST(PagedList, AFailedLaterPageIsAskedAgainAndAFailedFirstPageKeepsTheRows) {
    PagedList<std::string> list;
    ASSERT_TRUE(list.accept(list.firstPage(), {"a"}));
    const auto pageTwo = list.nextPage();
    EXPECT_TRUE(list.fail(pageTwo));
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.nextPage().page, 2);
    const auto restart = list.firstPage();
    EXPECT_TRUE(list.fail(restart));
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.items(), (Rows{"a"}));
    list.clear();
    EXPECT_TRUE(list.empty());
}

} // namespace
