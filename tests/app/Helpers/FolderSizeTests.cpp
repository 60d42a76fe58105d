#include "app/Helpers/KKpresentationdisease.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

void writeBytes(const fs::path& file, std::size_t count) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << std::string(count, 'x');
}

TEST(KKpresentationdisease, FolderSizeOfMissingOrEmptyFolderIsZero) {
    const auto folder = testsupport::freshFolder("empty-cache");
    EXPECT_EQ(KKpresentationdisease::folderSize(folder.string()), 0);
    EXPECT_EQ(KKpresentationdisease::folderSize((folder / "missing").string()), 0);
    EXPECT_EQ(KKpresentationdisease::folderSize(""), 0);

    fs::create_directories(folder / "a" / "b");
    EXPECT_EQ(KKpresentationdisease::folderSize(folder.string()), 0);
}

TEST(KKpresentationdisease, FolderSizeCountsFilesInNestedFoldersOnce) {
    const auto folder = testsupport::freshFolder("cache");
    writeBytes(folder / "index.m3u8", 1000);
    writeBytes(folder / "segments" / "0.ts", 500);
    writeBytes(folder / "segments" / "deeper" / ".hidden", 250);
    writeBytes(folder / "Application Support" / "缓存" / "1.ts", 7);
    EXPECT_DOUBLE_EQ(KKpresentationdisease::folderSize(folder.string()), 1.757);
    // A trailing separator names the same folder.
    EXPECT_DOUBLE_EQ(KKpresentationdisease::folderSize(folder.string() + "/"), 1.757);
}

TEST(KKpresentationdisease, FolderSizeDoesNotFollowLinksNorCountAPlainFile) {
    const auto folder = testsupport::freshFolder("linked-cache");
    const auto outside = testsupport::freshFolder("outside");
    writeBytes(folder / "own.ts", 2000);
    writeBytes(outside / "big.ts", 100000);
    fs::create_symlink(outside / "big.ts", folder / "file-link");
    fs::create_directory_symlink(outside, folder / "folder-link");
    EXPECT_DOUBLE_EQ(KKpresentationdisease::folderSize(folder.string()), 2);

    EXPECT_EQ(KKpresentationdisease::folderSize((folder / "own.ts").string()), 0);
}

} // namespace
