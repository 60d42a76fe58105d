#include "platform/Foundation/Bundle.h"

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

} // namespace
