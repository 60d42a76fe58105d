#include "platform/SJMediaCacheServer/RetryPolicy.h"

#include <gtest/gtest.h>

namespace {

TEST(RetryPolicy, PausesDoubleHonourALongerRetryAfterAndStayUnderTheCap) {
    const mcs::RetryPolicy policy{5, 0.5, 10};
    EXPECT_DOUBLE_EQ(policy.delayAfter(1, std::nullopt), 0.5);
    EXPECT_DOUBLE_EQ(policy.delayAfter(2, std::nullopt), 1.0);
    EXPECT_DOUBLE_EQ(policy.delayAfter(3, std::nullopt), 2.0);
    EXPECT_DOUBLE_EQ(policy.delayAfter(9, std::nullopt), 10.0) << "capped";
    EXPECT_DOUBLE_EQ(policy.delayAfter(1, 3.0), 3.0) << "the origin asks for longer";
    EXPECT_DOUBLE_EQ(policy.delayAfter(3, 0.0), 2.0) << "a shorter ask keeps the backoff";
    EXPECT_DOUBLE_EQ(policy.delayAfter(1, 3600.0), 10.0) << "an hour is not waited for";
}

TEST(RetryPolicy, OnlyPassingStatusesAreTriedAgain) {
    for (const int status : {408, 429, 500, 502, 503, 504}) {
        EXPECT_TRUE(mcs::isTransientStatus(status)) << status;
    }
    for (const int status : {400, 401, 403, 404, 410, 416}) {
        EXPECT_FALSE(mcs::isTransientStatus(status)) << status;
    }
}

TEST(RetryPolicy, ReadsRetryAfterAsSecondsOrAsADate) {
    const std::time_t now = 784111777; // Sun, 06 Nov 1994 08:49:37 GMT
    EXPECT_EQ(mcs::parseRetryAfter("120", now), 120.0);
    EXPECT_EQ(mcs::parseRetryAfter(" 0 ", now), 0.0);
    EXPECT_EQ(mcs::parseRetryAfter("Sun, 06 Nov 1994 08:50:07 GMT", now), 30.0);
    EXPECT_EQ(mcs::parseRetryAfter("Sun, 06 Nov 1994 08:00:00 GMT", now), 0.0) << "a date gone by";
    EXPECT_EQ(mcs::parseRetryAfter("Sun, 06 Dec 1994 08:49:37 GMT", now), 30.0 * 86400);
    for (const char* unreadable : {"", "-5", "1.5", "soon", "Sun, 06 Nov 1994 08:49:37 UTC",
                                   "Sun, 06 Xyz 1994 08:49:37 GMT", "99999999999999999999"}) {
        EXPECT_FALSE(mcs::parseRetryAfter(unreadable, now)) << unreadable;
    }
}

} // namespace
