#include "platform/AliyunPlayer/GstPlaybinEngine.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/platform/AliyunPlayer/HelperProcesses.h"
#include "tests/platform/AliyunPlayer/SlowOrigin.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

extern char** environ;

namespace {

using playertest::waitFor;

bool showsAPicture(const GstPlaybinEngine& engine) {
    return waitFor(
        [&] {
            const auto frame = engine.latestFrame();
            return frame != nullptr && !frame->isBlank();
        },
        30);
}

// Starts this program running the tests `filter` names, with `variable` set and its
// standard output into `output`.
pid_t startThisProgram(const std::string& filter, const std::string& variable, int output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filterArgument = "--gtest_filter=" + filter;
    char* argv[] = {const_cast<char*>(program.c_str()), filterArgument.data(), nullptr};
    std::string setting = variable + "=1";
    std::vector<char*> environment = {setting.data()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.push_back(*entry);
    }
    environment.push_back(nullptr);
    pid_t child = -1;
    if (::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environment.data()) != 0) {
        child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// While it lives, orphaned descendants of this process come to it rather than to init,
// so that it can tell when they are gone; the tests after it adopt none.
class AdoptingOrphans {
  public:
    AdoptingOrphans() : adopting_(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0) {}
    ~AdoptingOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 0); }
    AdoptingOrphans(const AdoptingOrphans&) = delete;
    AdoptingOrphans& operator=(const AdoptingOrphans&) = delete;

    bool adopting() const { return adopting_; }

  private:
    bool adopting_;
};

class SecondEngineProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MediaEngineSettings::setAudioOutputEnabled(false);
        stream_ = playertest::hlsStream("eight", 8);
        ASSERT_FALSE(stream_.empty());
        origin_ = std::make_unique<playertest::SlowOrigin>(stream_.parent_path());
    }
    std::string url() const { return origin_->url(stream_.filename().string() + "/index.m3u8"); }

    std::filesystem::path stream_;
    std::unique_ptr<playertest::SlowOrigin> origin_;
};

// The application's process never loads GStreamer: the program does not link it, and
// while the second engine plays, its pictures come from a helper that has it.
TEST_F(SecondEngineProcessTest, GStreamerRunsOnlyInTheHelper) {
    GstPlaybinEngine engine;
    engine.load(makeMediaRequest(url(), 0, {}));
    ASSERT_TRUE(showsAPicture(engine)) << engine.state().errorDescription;
    EXPECT_FALSE(playertest::mapsLibrary(::getpid(), "libgst"));
    EXPECT_TRUE(playertest::mapsLibrary(engine.helperProcessForTesting(), "libgstreamer"));

    const std::filesystem::path program =
        std::filesystem::path(std::getenv("ORVEX_BUILD_DIR")) / "Startup/orvex";
    ASSERT_TRUE(std::filesystem::exists(program));
    FILE* libraries = ::popen(("ldd '" + program.string() + "'").c_str(), "r");
    ASSERT_NE(libraries, nullptr);
    std::string listed;
    char line[512];
    while (std::fgets(line, sizeof line, libraries) != nullptr) {
        listed += line;
    }
    ASSERT_EQ(::pclose(libraries), 0) << listed;
    EXPECT_NE(listed.find("libcurl"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("libgst"), std::string::npos) << listed;
}

// A helper that crashes, aborts or is killed while it plays fails its load, and only that:
// the engine plays its next load in a new helper. The helper gets no descriptor of the
// application's but its socket.
TEST_F(SecondEngineProcessTest, AHelperThatDiesFailsItsLoadAndTheNextLoadPlays) {
    const int privateFile = ::open("/proc/self/exe", O_RDONLY); // inheritable on purpose
    ASSERT_GE(privateFile, 0);
    GstPlaybinEngine engine;
    for (const int signal : {SIGABRT, SIGKILL, SIGTERM}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        engine.load(makeMediaRequest(url(), 2, {}));
        ASSERT_TRUE(showsAPicture(engine)) << engine.state().errorDescription;
        const pid_t helper = engine.helperProcessForTesting();
        ASSERT_GT(helper, 0);
        std::error_code error;
        for (const auto& descriptor :
             std::filesystem::directory_iterator("/proc/" + std::to_string(helper) + "/fd", error)) {
            EXPECT_NE(std::filesystem::read_symlink(descriptor.path(), error),
                      std::filesystem::read_symlink("/proc/self/exe"))
                << "the helper holds a file of the application's";
        }
        ::kill(helper, signal);
        ASSERT_TRUE(waitFor([&] { return engine.state().phase == MediaEnginePhase::Failed; }, 30));
        EXPECT_FALSE(engine.state().errorDescription.empty());
    }
    engine.load(makeMediaRequest(url(), 0, {}));
    EXPECT_TRUE(showsAPicture(engine)) << engine.state().errorDescription;
    ::close(privateFile);
}

// A helper that stops answering (stopped, as a hung one would be) fails its load.
TEST_F(SecondEngineProcessTest, AHelperThatStopsAnsweringFailsItsLoad) {
    GstPlaybinEngine engine;
    engine.load(makeMediaRequest(url(), 0, {}));
    ASSERT_TRUE(showsAPicture(engine)) << engine.state().errorDescription;
    const pid_t helper = engine.helperProcessForTesting();
    ASSERT_GT(helper, 0);
    ::kill(helper, SIGSTOP);
    EXPECT_TRUE(waitFor([&] { return engine.state().phase == MediaEnginePhase::Failed; }, 60));
    engine.stop();
    // A stopped helper that was let go is killed after its grace.
    EXPECT_TRUE(waitFor([&] { return ::kill(helper, 0) != 0; }, 30));
}

// Run as a child by the test below: plays on the second engine and says which helpers it
// has, then waits to be killed.
TEST_F(SecondEngineProcessTest, PlaysUntilKilled) {
    if (std::getenv("ORVEX_PLAY_UNTIL_KILLED") == nullptr) {
        GTEST_SKIP() << "run by AKilledApplicationLeavesNoHelperBehind";
    }
    GstPlaybinEngine engine;
    engine.load(makeMediaRequest(url(), 0, {}));
    ASSERT_TRUE(showsAPicture(engine));
    std::printf("playing\n");
    std::fflush(stdout);
    waitFor([] { return false; }, 120);
}

// SIGKILL of the application while the second engine plays leaves no helper: neither the
// playing one nor the one waiting for a next load.
TEST(SecondEngineProcess, AKilledApplicationLeavesNoHelperBehind) {
    const AdoptingOrphans adopting;
    ASSERT_TRUE(adopting.adopting());
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    const pid_t child =
        startThisProgram("SecondEngineProcessTest.PlaysUntilKilled", "ORVEX_PLAY_UNTIL_KILLED", output[1]);
    ::close(output[1]);
    ASSERT_GT(child, 0);
    std::string said;
    char buffer[256];
    ssize_t length;
    while (said.find("playing\n") == std::string::npos &&
           (length = ::read(output[0], buffer, sizeof buffer)) > 0) {
        said.append(buffer, static_cast<std::size_t>(length));
    }
    ::close(output[0]);
    const auto helpers = playertest::playbinHelpers(child);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_NE(said.find("playing\n"), std::string::npos) << said;
    ASSERT_EQ(helpers.size(), 2u) << "a playing helper and a waiting one";

    const auto killedAt = std::chrono::steady_clock::now();
    std::set<pid_t> left(helpers.begin(), helpers.end());
    while (!left.empty() && std::chrono::steady_clock::now() - killedAt < std::chrono::seconds(10)) {
        std::erase_if(left, [](pid_t helper) { return ::waitpid(helper, nullptr, WNOHANG) == helper; });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - killedAt).count();
    EXPECT_TRUE(left.empty()) << left.size() << " helpers outlived the application";
    std::printf("the helpers ended %.3f s after the application was killed\n", seconds);
}

// The test above leaves the process as it found it: run after it in the same process (a
// run of the whole program, or a repeat), this test finds the process adopting no orphans.
// Run on its own, it starts such a process.
TEST(SecondEngineProcess, TheTestsAfterAKilledApplicationAdoptNoOrphans) {
    if (std::getenv("ORVEX_AFTER_KILLED_APPLICATION") != nullptr) {
        int adopting = -1;
        ASSERT_EQ(::prctl(PR_GET_CHILD_SUBREAPER, &adopting), 0);
        EXPECT_EQ(adopting, 0) << "the process still adopts orphans";
        return;
    }
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    const pid_t child = startThisProgram("SecondEngineProcess.AKilledApplicationLeavesNoHelperBehind:"
                                         "SecondEngineProcess.TheTestsAfterAKilledApplicationAdoptNoOrphans",
                                         "ORVEX_AFTER_KILLED_APPLICATION", output[1]);
    ::close(output[1]);
    ASSERT_GT(child, 0);
    std::string said;
    char buffer[4096];
    ssize_t length;
    while ((length = ::read(output[0], buffer, sizeof buffer)) > 0) {
        said.append(buffer, static_cast<std::size_t>(length));
    }
    ::close(output[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    EXPECT_NE(said.find("[  PASSED  ] 2 tests."), std::string::npos) << said;
}

} // namespace
