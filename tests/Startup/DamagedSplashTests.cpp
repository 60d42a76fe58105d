// Runs with ORVEX_RESOURCES pointing at a copy of the application's resources whose launch
// video is damaged (see CMakeLists.txt).

#include "tests/Startup/LaunchFixture.h"

namespace {

TEST_F(LaunchTest, ADamagedLaunchVideoHandsOverAtOnce) {
    UserDefaults::standard().setBool("about_ad", true);
    UserDefaults::standard().setBool("clearAD", false);
    launch();
    const auto page = splash();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitForMainInterface(10));
    EXPECT_EQ(page->player()->currentItem()->status(), AVPlayerItemStatusFailed);
    EXPECT_TRUE(UserDefaults::standard().boolForKey("clearAD"));
}

} // namespace
