// What the cache records is durable before it is recorded: a crash or a power loss never
// leaves a row naming a file whose bytes or whose name were not stored.
#include "platform/SJMediaCacheServer/MediaCache.h"
#include "tests/support/TestSupport.h"
#include "tests/support/media/MediaFixtures.h"
#include "tests/support/media/TestOrigin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Rows of cached resources, as another reader of the database sees them.
int resourceRows(const fs::path& root) {
    int rows = -1;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((root / "mcs.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM resource", -1, &statement, nullptr);
        if (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            rows = sqlite3_column_int(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

struct Synced {
    fs::path path;
    int rowsThen; // resource rows stored when it was synced
};

// A cache made in a folder that did not exist, two levels deep: a resource fetched into
// it is recorded only after its file's bytes, the asset folder that names the file, the
// cache folder that names the asset folder and the folders above that name the cache
// folder are synced.
TEST(CacheDurability, ARecordedFileHasItsBytesAndEveryNewFolderOnItsWayDurableFirst) {
    testmedia::TestOrigin origin(testmedia::MediaFixtures::shared().root());
    ASSERT_TRUE(origin.start());
    const auto parent = testsupport::freshFolder("durable");
    const auto root = parent / "new" / "cache";

    std::mutex mutex;
    std::vector<Synced> synced;
    mcs::CacheOptions options;
    options.root = root;
    options.didSync = [&](const fs::path& path) {
        const int rows = resourceRows(root);
        std::lock_guard lock(mutex);
        synced.push_back({path, rows});
    };
    {
        mcs::MediaCache cache(options);
        ASSERT_TRUE(cache.usable());
        const auto asset = cache.registerAsset("clip", origin.url("plain/clip.mp4"), false);
        const auto resource = cache.entryResource(*asset);
        const auto filled = cache.fill(*asset, resource, 0, std::nullopt, [] { return false; });
        ASSERT_EQ(filled.kind, mcs::WaitResult::Ready);
        ASSERT_TRUE(cache.flush());
        EXPECT_EQ(resourceRows(root), 1);

        std::lock_guard lock(mutex);
        const auto syncOf = [&](const fs::path& path) -> const Synced* {
            for (const auto& entry : synced) {
                if (entry.path.lexically_normal() == path.lexically_normal()) {
                    return &entry;
                }
            }
            return nullptr;
        };
        const auto* file = syncOf(resource->file);
        ASSERT_NE(file, nullptr) << "the file's bytes were never synced";
        EXPECT_EQ(file->rowsThen, 0);
        for (const auto& folder : {root / "clip", root, parent / "new", parent}) {
            const auto* entry = syncOf(folder);
            ASSERT_NE(entry, nullptr) << folder << " was never synced";
            EXPECT_EQ(entry->rowsThen, 0) << folder << " was synced after the row was written";
        }
    }

    origin.stop();
}

} // namespace
