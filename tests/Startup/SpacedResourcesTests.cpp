// Runs with ORVEX_RESOURCES pointing at a copy of the application's resources under a path
// with a space, "%" and Chinese characters (see CMakeLists.txt).

#include "platform/Foundation/Bundle.h"
#include "tests/Startup/LaunchFixture.h"

namespace {

TEST_F(LaunchTest, TheLaunchVideoPlaysFromAFolderWithSpacesAndChineseCharacters) {
    const auto video = Bundle::main().pathForResource("splash", "mp4");
    ASSERT_TRUE(video);
    ASSERT_NE(video->string().find("spaced resources 100% 资源"), std::string::npos) << *video;
    UserDefaults::standard().setBool("openLaunchSound", true);
    launch();
    const auto page = splash();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(driver->waitUntil([&] { return page->player()->currentTime() > 0.3; }, 20))
        << "the video did not play";
    EXPECT_EQ(page->player()->currentItem()->status(), AVPlayerItemStatusReadyToPlay);
    EXPECT_EQ(page->player()->volume(), 1.0f) << "with its sound";
    ASSERT_TRUE(waitForMainInterface());
    UserDefaults::standard().removeObject("openLaunchSound");
}

} // namespace
