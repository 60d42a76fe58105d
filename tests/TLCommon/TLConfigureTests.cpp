#include "TLCommon/TLConfigure.h"

#include <gtest/gtest.h>

namespace {

// The SDK's configuration is process-wide, so refusal and start are one sequence.
TEST(TLConfigure, RefusesAnEmptyKeyWithALogLineThenStartsWithAKey) {
    testing::internal::CaptureStdout();
    TLConfigure::initWithAppkey("", "App Store");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("appkey is empty"), std::string::npos) << output;
    EXPECT_FALSE(TLConfigure::appKey().has_value());
    EXPECT_FALSE(TLConfigure::channel().has_value());

    TLConfigure::initWithAppkey("4c1f9a07d2e85b36a0f71c2e", "App Store");
    EXPECT_EQ(TLConfigure::appKey(), "4c1f9a07d2e85b36a0f71c2e");
    EXPECT_EQ(TLConfigure::channel(), "App Store");
}

} // namespace
