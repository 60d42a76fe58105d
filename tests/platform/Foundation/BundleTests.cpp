#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/PercentEncoding.h"

#include <gtest/gtest.h>

namespace {

TEST(Bundle, FindsResourcesAndInfoValuesFromTheBuildTree) {
    auto& bundle = Bundle::main();
    EXPECT_FALSE(bundle.shortVersionString().empty());
    auto info = bundle.pathForResource("Info", "json");
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(std::filesystem::exists(*info));
    EXPECT_FALSE(bundle.pathForResource("no-such-resource", "png").has_value());
}

TEST(Bundle, ResourcePathsBecomeFileURLsThatDecodeBackToThem) {
    const std::filesystem::path path = "/opt/Orvex 2/资源 100%/#1?/splash.mp4";
    const auto url = fileURLWithPath(path);
    EXPECT_EQ(url, "file:///opt/Orvex%202/%E8%B5%84%E6%BA%90%20100%25/%231%3F/splash.mp4");
    EXPECT_TRUE(isURLText(url));
    EXPECT_EQ(percentDecoded(url.substr(std::string("file://").size())), path.string());
    EXPECT_EQ(fileURLWithPath("/a-b_c.d~e/f"), "file:///a-b_c.d~e/f");
}

} // namespace
