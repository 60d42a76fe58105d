#include "platform/Foundation/Paths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// The data root tells what was watched and downloaded. With the usual umask (022), the
// root of an older installation, whose folders were made readable by all, is closed to
// others at first use, and every folder made in a root is its owner's alone.
TEST(Paths, TheDataRootAndEveryFolderMadeInItAreForTheirOwnerAlone) {
    const auto original = Paths::dataRoot();
    const mode_t previous = ::umask(022);
    const auto older = testsupport::freshFolder("older-installation");
    std::filesystem::create_directories(older / "Library" / "SJPlaybackHistory");
    std::filesystem::permissions(older, std::filesystem::perms::all & ~std::filesystem::perms::group_write &
                                            ~std::filesystem::perms::others_write);
    ASSERT_EQ(modeOf(older), 0755u);

    Paths::setDataRoot(older);
    EXPECT_EQ(Paths::dataRoot(), older);
    EXPECT_EQ(modeOf(older), 0700u) << "others can no longer reach what the older version stored";

    Paths::setDataRoot(older / "fresh" / "root");
    for (const auto& folder :
         {Paths::dataRoot(), Paths::documents(), Paths::library(), Paths::caches(),
          Paths::applicationSupport(), Paths::preferences(), Paths::temporary(), older / "fresh"}) {
        EXPECT_EQ(modeOf(folder), 0700u) << folder;
    }
    EXPECT_TRUE(Paths::createPrivateFolder(Paths::caches() / "a" / "b"));
    EXPECT_EQ(modeOf(Paths::caches() / "a"), 0700u);
    EXPECT_EQ(modeOf(Paths::caches() / "a" / "b"), 0700u);

    ::umask(previous);
    Paths::setDataRoot(original);
}

} // namespace
