// Both stores of the application ("fflist.db" and the playback history) under crashes,
// read-only files and a full disk: every failure is reported, the files stay intact,
// every write that reported success is kept, and the caller goes on.
#include "app/Records/KKcommenthumble.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "tests/app/Records/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>
#include <map>
#include <sstream>

namespace {

using childprocess::report;

std::vector<std::string> integrityCheck(const std::filesystem::path& path) {
    auto connection = SQLite::Connection::open(path);
    if (!connection) {
        return {"cannot open: " + connection.error().message};
    }
    auto statement = (*connection)->prepare("PRAGMA integrity_check");
    if (!statement) {
        return {"cannot check: " + statement.error().message};
    }
    std::vector<std::string> lines;
    while (true) {
        auto row = statement->step();
        if (!row) {
            lines.push_back("check failed: " + row.error().message);
            break;
        }
        if (!*row) {
            break;
        }
        lines.push_back(statement->text(0));
    }
    return lines;
}

// "word n" lines of the child, by word.
std::map<std::string, std::vector<int>> numbersByWord(const std::vector<std::string>& lines) {
    std::map<std::string, std::vector<int>> result;
    for (const auto& line : lines) {
        std::istringstream in(line);
        std::string word;
        int number = 0;
        if (in >> word >> number) {
            result[word].push_back(number);
        }
    }
    return result;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string primaryCodeText(const SQLite::Status& status) {
    return status ? "ok" : std::to_string(status.error().code & 0xff);
}

class StoreFailures : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = testsupport::freshFolder("stores");
        fflist_ = folder_ / "fflist.db";
        history_ = folder_ / "history.db";
    }
    void TearDown() override { ASConfigration::closeDefaultDB(); }

    static KKcommenthumble episode(int number, const std::string& text = "") {
        KKcommenthumble record;
        record.vod_id = "v" + std::to_string(number);
        record.index = std::to_string(number % 4);
        record.name = "名字 'quoted' \"" + std::to_string(number) + "\"" + text;
        return record;
    }

    static std::shared_ptr<KKcommenthumble> storedEpisode(int number) {
        auto found = KKcommenthumble::findFirst(
            {{"vod_id", "v" + std::to_string(number)}, {"index", std::to_string(number % 4)}});
        return found ? *found : nullptr;
    }

    // A few records in both stores, written by the parent before the child runs.
    void seed() {
        ASSERT_TRUE(ASConfigration::setDefaultDB(fflist_, "fflist.db"));
        for (int number = 0; number < 3; ++number) {
            auto record = episode(number);
            ASSERT_TRUE(record.save());
        }
        ASConfigration::closeDefaultDB();
        SJPlaybackHistoryController history(history_);
        for (int number = 0; number < 2; ++number) {
            SJPlaybackRecord playback;
            playback.mediaId = number;
            playback.title = "标题";
            ASSERT_TRUE(history.save(playback));
        }
    }

    void expectSeedIntact() {
        ASSERT_TRUE(ASConfigration::setDefaultDB(fflist_, "fflist.db"));
        auto all = KKcommenthumble::findAll(ASAttributes{});
        ASSERT_TRUE(all);
        ASSERT_GE(all->size(), 3u);
        for (int number = 0; number < 3; ++number) {
            auto record = storedEpisode(number);
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(record->name, episode(number).name);
            EXPECT_EQ(record->state, "waiting");
        }
        SJPlaybackHistoryController history(history_);
        for (int number = 0; number < 2; ++number) {
            auto record = history.recordForMedia(number, 0, SJMediaTypeVideo);
            ASSERT_TRUE(record);
            ASSERT_NE(*record, nullptr);
            EXPECT_EQ((*record)->title, "标题");
        }
    }

    std::filesystem::path folder_;
    std::filesystem::path fflist_;
    std::filesystem::path history_;
};

TEST_F(StoreFailures, AWriterKilledMidLoopLeavesBothStoresIntactWithEveryReportedWrite) {
    auto outcome = childprocess::run(
        [&] {
            if (!ASConfigration::setDefaultDB(fflist_, "fflist.db")) {
                report("cannot open");
                return;
            }
            SJPlaybackHistoryController history(history_);
            for (int number = 0; number < 100000; ++number) {
                auto record = episode(number);
                if (!record.save()) {
                    return;
                }
                report("saved " + std::to_string(number));
                record.state = "downing";
                record.progress = 0.5;
                if (!record.update()) {
                    return;
                }
                report("updated " + std::to_string(number));
                SJPlaybackRecord playback;
                playback.mediaId = number;
                playback.vodId = record.vod_id;
                playback.position = number;
                if (!history.save(playback)) {
                    return;
                }
                report("played " + std::to_string(number));
            }
            report("finished");
        },
        [](const std::vector<std::string>& lines) { return lines.size() >= 450; });

    ASSERT_TRUE(outcome.killed()) << outcome.startError << "\nthe child stopped by itself: "
                                  << (outcome.lines.empty() ? "" : outcome.lines.back());
    EXPECT_FALSE(contains(outcome.lines, "finished"));
    EXPECT_EQ(integrityCheck(fflist_), (std::vector<std::string>{"ok"}));
    EXPECT_EQ(integrityCheck(history_), (std::vector<std::string>{"ok"}));

    auto reported = numbersByWord(outcome.lines);
    ASSERT_GE(reported["played"].size(), 100u);
    ASSERT_TRUE(ASConfigration::setDefaultDB(fflist_, "fflist.db"));
    for (int number : reported["saved"]) {
        auto record = storedEpisode(number);
        ASSERT_NE(record, nullptr) << number;
        EXPECT_EQ(record->name, episode(number).name);
    }
    for (int number : reported["updated"]) {
        auto record = storedEpisode(number);
        ASSERT_NE(record, nullptr) << number;
        EXPECT_EQ(record->state, "downing");
        EXPECT_EQ(record->progress, 0.5);
    }
    SJPlaybackHistoryController history(history_);
    for (int number : reported["played"]) {
        auto record = history.recordForMedia(number, 0, SJMediaTypeVideo);
        ASSERT_TRUE(record);
        ASSERT_NE(*record, nullptr) << number;
        EXPECT_EQ((*record)->vodId, "v" + std::to_string(number));
        EXPECT_EQ((*record)->position, number);
    }

    // Both stores take new writes after the crash.
    auto next = episode(1'000'000);
    EXPECT_TRUE(next.save());
    SJPlaybackRecord playback;
    playback.mediaId = 1'000'000;
    EXPECT_TRUE(history.save(playback));
}

TEST_F(StoreFailures, ReadOnlyFilesAreReadAndEveryWriteIsRefused) {
    seed();
    std::filesystem::permissions(fflist_, std::filesystem::perms::owner_read);
    std::filesystem::permissions(history_, std::filesystem::perms::owner_read);

    auto outcome = childprocess::run([&] {
        if (!childprocess::dropFileAccessOverride()) {
            report("cannot drop privileges");
            return;
        }
        if (auto opened = ASConfigration::setDefaultDB(fflist_, "fflist.db"); !opened) {
            report("open " + opened.error().message);
            return;
        }
        auto existing = storedEpisode(1);
        report(existing && existing->name == episode(1).name ? "read ok" : "read failed");
        auto fresh = episode(50);
        report("save " + primaryCodeText(fresh.save()));
        if (existing) {
            existing->state = "finish";
            report("update " + primaryCodeText(existing->update()));
            report("delete " + primaryCodeText(existing->deleteRecord()));
        }
        report(storedEpisode(2) != nullptr ? "still reading" : "reading stopped");

        SJPlaybackHistoryController history(history_);
        auto records = history.recordsForConditions({}, {});
        report(records ? "history read " + std::to_string(records->size()) : "history read failed");
        SJPlaybackRecord playback;
        playback.mediaId = 9;
        report("history save " + primaryCodeText(history.save(playback)));
        report("history remove " + primaryCodeText(history.removeAllRecordsForUser(0, SJMediaTypeVideo)));
    });

    std::filesystem::permissions(fflist_,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(history_,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(outcome.exitedCleanly()) << outcome.startError;
    const std::string readOnly = std::to_string(SQLITE_READONLY);
    EXPECT_EQ(outcome.lines, (std::vector<std::string>{
                                 "read ok",
                                 "save " + readOnly,
                                 "update " + readOnly,
                                 "delete " + readOnly,
                                 "still reading",
                                 "history read 2",
                                 "history save " + readOnly,
                                 "history remove " + readOnly,
                             }));
    EXPECT_EQ(integrityCheck(fflist_), (std::vector<std::string>{"ok"}));
    EXPECT_EQ(integrityCheck(history_), (std::vector<std::string>{"ok"}));
    expectSeedIntact();
    EXPECT_EQ(KKcommenthumble::findAll(ASAttributes{})->size(), 3u);
}

TEST_F(StoreFailures, AFullDiskFailsWritesWithAnErrorAndKeepsWhatWasStored) {
    seed();
    auto outcome = childprocess::run([&] {
        std::uintmax_t largest = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            largest = std::max(largest, entry.file_size());
        }
        // Any file may now grow only a little past the largest one there is.
        const rlimit limit{largest + 96 * 1024, largest + 96 * 1024};
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            report("cannot limit");
            return;
        }
        if (!ASConfigration::setDefaultDB(fflist_, "fflist.db")) {
            report("cannot open");
            return;
        }
        const std::string bulk(8 * 1024, 'x');
        for (int number = 100; number < 400; ++number) {
            auto record = episode(number, bulk);
            if (auto saved = record.save(); !saved) {
                report("full " + std::to_string(saved.error().code & 0xff));
                break;
            }
            report("saved " + std::to_string(number));
        }
        auto all = KKcommenthumble::findAll(ASAttributes{});
        report(all ? "read " + std::to_string(all->size()) : "read failed");

        SJPlaybackHistoryController history(history_);
        for (int number = 100; number < 400; ++number) {
            SJPlaybackRecord playback;
            playback.mediaId = number;
            playback.title = bulk;
            if (auto saved = history.save(playback); !saved) {
                report("historyfull " + std::to_string(saved.error().code & 0xff));
                break;
            }
            report("played " + std::to_string(number));
        }
        auto records = history.recordsForConditions({}, {});
        report(records ? "historyread " + std::to_string(records->size()) : "historyread failed");
    });

    ASSERT_TRUE(outcome.exitedCleanly()) << outcome.startError;
    auto reported = numbersByWord(outcome.lines);
    ASSERT_EQ(reported["full"].size(), 1u) << "the limit was never reached";
    ASSERT_EQ(reported["historyfull"].size(), 1u) << "the limit was never reached";
    for (int code : {reported["full"][0], reported["historyfull"][0]}) {
        EXPECT_TRUE(code == SQLITE_FULL || code == SQLITE_IOERR) << code;
    }
    // The caller went on: both stores still answered with everything stored so far.
    EXPECT_EQ(reported["read"], (std::vector<int>{3 + static_cast<int>(reported["saved"].size())}));
    EXPECT_EQ(reported["historyread"], (std::vector<int>{2 + static_cast<int>(reported["played"].size())}));

    EXPECT_EQ(integrityCheck(fflist_), (std::vector<std::string>{"ok"}));
    EXPECT_EQ(integrityCheck(history_), (std::vector<std::string>{"ok"}));
    expectSeedIntact();
    const std::string bulk(8 * 1024, 'x');
    for (int number : reported["saved"]) {
        auto record = storedEpisode(number);
        ASSERT_NE(record, nullptr) << number;
        EXPECT_EQ(record->name, episode(number, bulk).name);
    }
    EXPECT_EQ(KKcommenthumble::findAll(ASAttributes{})->size(), 3 + reported["saved"].size());
    SJPlaybackHistoryController history(history_);
    for (int number : reported["played"]) {
        auto record = history.recordForMedia(number, 0, SJMediaTypeVideo);
        ASSERT_TRUE(record);
        ASSERT_NE(*record, nullptr);
        EXPECT_EQ((*record)->title, bulk);
    }
    auto next = episode(999);
    EXPECT_TRUE(next.save());
}

} // namespace
