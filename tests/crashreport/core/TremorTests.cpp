#include "crashreport/core/Tremor.h"

#include <gtest/gtest.h>

namespace {

// The SDK starts once per process, so the whole start sequence is one test. The test's
// Info values turn the SDK's debug lines on.
TEST(Tremor, StartsOnceWithANonEmptyAppIdAndSaysSoWhenDebugging) {
    testing::internal::CaptureStdout();
    Tremor::startWithAppId("");
    EXPECT_FALSE(Tremor::startedAppId().has_value());

    Tremor::startWithAppId("0a1b2c3d4e");
    EXPECT_EQ(Tremor::startedAppId(), "0a1b2c3d4e");

    Tremor::startWithAppId("ffffffffff");
    EXPECT_EQ(Tremor::startedAppId(), "0a1b2c3d4e");
    const std::string output = testing::internal::GetCapturedStdout();

    EXPECT_NE(output.find("[Tremor][Error] "), std::string::npos) << output;
    EXPECT_NE(output.find("[Tremor][Info] started with app ID 0a1b2c3d4e"), std::string::npos) << output;
    EXPECT_NE(output.find("[Tremor][Warning] "), std::string::npos) << output;
}

} // namespace
