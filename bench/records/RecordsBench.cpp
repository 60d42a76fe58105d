// Looking up one download record by "vod_id" and "index" through the record library,
// against a raw SQLite prepared statement (sqlite3_prepare_v2 once, then bind, step and
// reset per lookup, every column read into a plain structure) doing the same lookup on
// the same file, at 1,000, 10,000 and 100,000 stored records. Prints each time, the two
// ratios that matter and their verdicts: library / raw statement (target 2.0 or less at
// every size: the library may add building the record, never another query), and the
// growth from 1,000 to 100,000 records of the library's lookup against the raw
// statement's (target 1.2 or less: SQLite's own index lookup grows with the file, the
// library must add nothing that grows). Run with --benchmark_repetitions=5 on a quiet
// machine; the ratios use the best repetition.
#include "app/Records/KKcommenthumble.h"
#include "bench/support/Verdict.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/ActiveSQLite/SQLiteConnection.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <unistd.h>

namespace {

constexpr int episodesPerTitle = 20;

[[noreturn]] void fail(const std::string& what, const SQLite::Error& error) {
    std::fprintf(stderr, "%s: %s (%d)\n", what.c_str(), error.message.c_str(), error.code);
    std::exit(1);
}

std::string vodIdOf(int number) {
    return "vod" + std::to_string(number / episodesPerTitle);
}
std::string indexOf(int number) {
    return std::to_string(number % episodesPerTitle);
}

std::filesystem::path databaseWith(int count) {
    static std::map<int, std::filesystem::path> made;
    if (auto found = made.find(count); found != made.end()) {
        return found->second;
    }
    const auto folder =
        std::filesystem::temp_directory_path() / ("orvex-records-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto path = folder / ("fflist-" + std::to_string(count) + ".db");
    std::filesystem::remove(path);

    // The library creates the table and its indexes; the rows go in one transaction.
    if (auto opened = ASConfigration::setDefaultDB(path, "fflist.db"); !opened) {
        fail("open", opened.error());
    }
    KKcommenthumble first;
    first.vod_id = vodIdOf(0);
    first.index = indexOf(0);
    if (auto saved = first.save(); !saved) {
        fail("save", saved.error());
    }
    ASConfigration::closeDefaultDB();
    auto connection = SQLite::Connection::open(path);
    if (!connection) {
        fail("open", connection.error());
    }
    auto status = (*connection)->transaction([&]() -> SQLite::Status {
        for (int number = 1; number < count; ++number) {
            auto insert = (*connection)
                              ->prepare("INSERT INTO KKcommenthumble (created_at, updated_at, url, src, "
                                        "size, name, type, cover, \"index\", vod_id, episode,"
                                        " progress, state, watching) VALUES (0, 0, ?, ?, '', ?, 'm3u8', ?, "
                                        "?, ?, ?, 1.0, 'finish', 'no')");
            if (!insert) {
                return insert.error();
            }
            const std::string vodId = vodIdOf(number);
            const std::string index = indexOf(number);
            if (auto bound = insert->bindAll(
                    {"https://media.example.com/videos/" + vodId + "/" + index + "/index.m3u8",
                     "https://parse.example.com/play?id=" + vodId + "&ep=" + index, "电影名称 " + vodId,
                     "https://img.example.com/covers/" + vodId + ".jpg", index, vodId, "第" + index + "集"});
                !bound) {
                return bound;
            }
            if (auto ran = insert->run(); !ran) {
                return ran;
            }
        }
        return {};
    });
    if (!status) {
        fail("fill", status.error());
    }
    made[count] = path;
    return path;
}

std::vector<std::pair<std::string, std::string>> randomKeys(int count) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, count - 1);
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < 4096; ++i) {
        const int number = pick(random);
        keys.emplace_back(vodIdOf(number), indexOf(number));
    }
    return keys;
}

void libraryFindFirst(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto path = databaseWith(count);
    if (!ASConfigration::setDefaultDB(path, "fflist.db")) {
        state.SkipWithError("cannot open");
        return;
    }
    const auto keys = randomKeys(count);
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& [vodId, index] = keys[next++ % keys.size()];
        auto found = KKcommenthumble::findFirst({{"vod_id", vodId}, {"index", index}});
        if (!found || !*found) {
            state.SkipWithError("record not found");
            break;
        }
        benchmark::DoNotOptimize(found);
    }
    ASConfigration::closeDefaultDB();
}

// The same lookup on SQLite's own interface: one statement prepared once, then bound,
// stepped and reset for each lookup, every column read into a plain structure.
struct Download {
    std::int64_t id = 0, createdAt = 0, updatedAt = 0;
    std::string url, src, size, name, type, cover, index, vodId, episode;
    double progress = 0;
    std::string state, watching;
};

std::string textColumn(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                           : std::string();
}

void rawStatement(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(databaseWith(count).c_str(), &database, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        state.SkipWithError("cannot open");
        sqlite3_close(database);
        return;
    }
    const char* sql =
        "SELECT id, created_at, updated_at, url, src, size, name, type, cover, \"index\", vod_id, episode, "
        "progress, state, watching FROM KKcommenthumble WHERE vod_id = ? AND \"index\" = ? ORDER BY id LIMIT "
        "1";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, sql, -1, &statement, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(database));
        sqlite3_close(database);
        return;
    }
    const auto keys = randomKeys(count);
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& [vodId, index] = keys[next++ % keys.size()];
        sqlite3_bind_text(statement, 1, vodId.data(), static_cast<int>(vodId.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, index.data(), static_cast<int>(index.size()), SQLITE_STATIC);
        if (sqlite3_step(statement) != SQLITE_ROW) {
            state.SkipWithError("record not found");
            break;
        }
        auto record = std::make_shared<Download>();
        record->id = sqlite3_column_int64(statement, 0);
        record->createdAt = sqlite3_column_int64(statement, 1);
        record->updatedAt = sqlite3_column_int64(statement, 2);
        record->url = textColumn(statement, 3);
        record->src = textColumn(statement, 4);
        record->size = textColumn(statement, 5);
        record->name = textColumn(statement, 6);
        record->type = textColumn(statement, 7);
        record->cover = textColumn(statement, 8);
        record->index = textColumn(statement, 9);
        record->vodId = textColumn(statement, 10);
        record->episode = textColumn(statement, 11);
        record->progress = sqlite3_column_double(statement, 12);
        record->state = textColumn(statement, 13);
        record->watching = textColumn(statement, 14);
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(record);
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
}

BENCHMARK(libraryFindFirst)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(rawStatement)->Arg(1000)->Arg(10000)->Arg(100000);

// Keeps the best time per lookup of each benchmark (over repetitions), to print the
// ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const std::string name = run.run_name.str();
                const double time = run.GetAdjustedRealTime();
                if (!nanoseconds.contains(name) || time < nanoseconds[name]) {
                    nanoseconds[name] = time;
                }
            }
        }
    }
    std::map<std::string, double> nanoseconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& times = reporter.nanoseconds;
    constexpr double libraryTarget = 2.0;
    constexpr double growthTarget = 1.2;
    bool libraryMet = true;
    for (const char* count : {"1000", "10000", "100000"}) {
        const double library = times[std::string("libraryFindFirst/") + count];
        const double raw = times[std::string("rawStatement/") + count];
        libraryMet = libraryMet && library > 0 && raw > 0 && library / raw <= libraryTarget;
        if (library > 0 && raw > 0) {
            std::printf(
                "%6s records: library %.2f us, raw statement %.2f us, ratio %.2f (target %.1f or less)\n",
                count, library / 1000, raw / 1000, library / raw, libraryTarget);
        }
    }
    const auto growthOf = [&](const std::string& name) {
        const double few = times[name + "/1000"];
        return few > 0 ? times[name + "/100000"] / few : 0.0;
    };
    const double libraryGrowth = growthOf("libraryFindFirst");
    const double rawGrowth = growthOf("rawStatement");
    const double growth = rawGrowth > 0 ? libraryGrowth / rawGrowth : 0;
    std::printf("100000 / 1000 records: library %.2f, raw statement %.2f, ratio %.2f (target %.1f or less)\n",
                libraryGrowth, rawGrowth, growth, growthTarget);
    printVerdict("library against a raw prepared statement", libraryMet);
    printVerdict("library's growth with the records against the raw statement's",
                 growth > 0 && growth <= growthTarget);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                    ("orvex-records-bench-" + std::to_string(::getpid())),
                                ignored);
    benchmark::Shutdown();
    return 0;
}
