// The episode start benchmark run as bench/title/run.sh runs it, giving up early: it ends
// with its own failure status and nothing else, the application it launched taken apart
// as cleanly as after a full run (under the sanitizers, which report what the end frees
// twice or uses after it went).

#include "tests/support/TestSupport.h"
#include "tests/support/WatchedChild.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

TEST(TitleBenchExit, ABenchmarkThatGivesUpAfterAnEpisodeStartEndsCleanly) {
    // A stand-in for the mpv command line that never shows a picture: the benchmark gives
    // up right after its first episode start, with the player page playing.
    const auto tools = testsupport::freshFolder("stand-in-mpv");
    std::ofstream(tools / "mpv") << "#!/bin/sh\nexit 1\n";
    std::filesystem::permissions(tools / "mpv", std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");

    // The benchmark's standard error goes with its standard output, to be read here.
    const auto bench = testsupport::runWatchedChild(
        {"/bin/sh", "-c", "exec \"$0\" 3 2>&1", ORVEX_TITLE_BENCH},
        {"PATH=" + tools.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin"),
         "ORVEX_HOME=" + testsupport::freshFolder("bench-home").string(),
         "ORVEX_BENCH_MEDIA=" + testsupport::sharedMediaDir().string()},
        1000, 240);
    ASSERT_TRUE(bench.ended) << "the benchmark did not end in time";
    EXPECT_NE(bench.output.find("title_bench: mpv could not show"), std::string::npos)
        << "the benchmark gave up elsewhere:\n"
        << bench.output.substr(bench.output.size() > 4000 ? bench.output.size() - 4000 : 0);
    for (const char* report : {"Sanitizer", "runtime error", "double free", "corruption"}) {
        EXPECT_EQ(bench.output.find(report), std::string::npos)
            << report << ":\n"
            << bench.output.substr(bench.output.find(report), 4000);
    }
    EXPECT_TRUE(WIFEXITED(bench.waitStatus) && WEXITSTATUS(bench.waitStatus) == 1)
        << "wait status " << bench.waitStatus;
}
