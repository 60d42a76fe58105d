#include "platform/Alamofire/HTTPHeaders.h"

#include <gtest/gtest.h>

TEST(HTTPHeaders, NamesCompareWithoutCaseAndAddReplaces) {
    HTTPHeaders headers{{"Accept", "text/plain"}, {"X-One", "1"}};
    headers.add("accept", "application/json");
    EXPECT_EQ(headers.count(), 2u);
    EXPECT_EQ(headers.value("ACCEPT"), "application/json");
    EXPECT_EQ(headers.begin()->name, "Accept");
    headers.remove("x-one");
    EXPECT_FALSE(headers.value("X-One").has_value());
    EXPECT_EQ(headers.count(), 1u);
}
