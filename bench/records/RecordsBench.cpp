// Looking up one download record by "vod_id" and "index" through the record library,
// against a hand-written prepared statement doing the same lookup on the same file, at
// 1,000, 10,000 and 100,000 stored records. Prints each time and the two ratios that
// matter: library / hand-written, and 100,000 / 1,000 records. Run with
// --benchmark_repetitions=5 on a quiet machine; the ratios use the best repetition.
#include "app/Records/KKcommenthumble.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/ActiveSQLite/SQLiteConnection.h"

#include <benchmark/benchmark.h>

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

// The same lookup written by hand: one prepared statement, reading every column into a
// plain structure.
struct Download {
    std::int64_t id = 0, createdAt = 0, updatedAt = 0;
    std::string url, src, size, name, type, cover, index, vodId, episode;
    double progress = 0;
    std::string state, watching;
};

void handwrittenStatement(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto connection = SQLite::Connection::open(databaseWith(count));
    if (!connection) {
        state.SkipWithError("cannot open");
        return;
    }
    const auto keys = randomKeys(count);
    std::size_t next = 0;
    const std::string sql =
        "SELECT id, created_at, updated_at, url, src, size, name, type, cover, \"index\", vod_id, episode, "
        "progress, state, watching FROM KKcommenthumble WHERE vod_id = ? AND \"index\" = ? ORDER BY id LIMIT "
        "1";
    for (auto _ : state) {
        const auto& [vodId, index] = keys[next++ % keys.size()];
        auto statement = (*connection)->prepare(sql);
        (void)statement->bind(1, vodId);
        (void)statement->bind(2, index);
        auto row = statement->step();
        if (!row || !*row) {
            state.SkipWithError("record not found");
            break;
        }
        auto record = std::make_shared<Download>();
        record->id = statement->integer(0);
        record->createdAt = statement->integer(1);
        record->updatedAt = statement->integer(2);
        record->url = statement->text(3);
        record->src = statement->text(4);
        record->size = statement->text(5);
        record->name = statement->text(6);
        record->type = statement->text(7);
        record->cover = statement->text(8);
        record->index = statement->text(9);
        record->vodId = statement->text(10);
        record->episode = statement->text(11);
        record->progress = statement->real(12);
        record->state = statement->text(13);
        record->watching = statement->text(14);
        benchmark::DoNotOptimize(record);
    }
}

BENCHMARK(libraryFindFirst)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(handwrittenStatement)->Arg(1000)->Arg(10000)->Arg(100000);

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
    for (const char* count : {"1000", "10000", "100000"}) {
        const double library = times[std::string("libraryFindFirst/") + count];
        const double handwritten = times[std::string("handwrittenStatement/") + count];
        if (library > 0 && handwritten > 0) {
            std::printf("%6s records: library %.2f us, hand-written %.2f us, ratio %.2f\n", count,
                        library / 1000, handwritten / 1000, library / handwritten);
        }
    }
    if (times["libraryFindFirst/1000"] > 0) {
        std::printf("library 100000 / 1000 records: %.2f\n",
                    times["libraryFindFirst/100000"] / times["libraryFindFirst/1000"]);
    }
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                    ("orvex-records-bench-" + std::to_string(::getpid())),
                                ignored);
    benchmark::Shutdown();
    return 0;
}
