#include "platform/Foundation/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::filesystem::path defaultsFile(const std::string& name) {
    return testsupport::freshFolder(name) / "defaults.json";
}

TEST(UserDefaults, ValuesOfEveryKindSurviveAReload) {
    auto file = defaultsFile("kinds");
    {
        UserDefaults defaults(file);
        defaults.setBool("openLaunchSound", true);
        defaults.setInteger("count", -42);
        defaults.setDouble("rate", 1.25);
        defaults.setString("login", R"({"token":"中文 \"quoted\""})");
        defaults.setStringArray("history", {"a", "电影"});
        defaults.setData("blob", {0, 1, 254, 255});
    }
    UserDefaults defaults(file);
    EXPECT_TRUE(defaults.boolForKey("openLaunchSound"));
    EXPECT_EQ(defaults.integerForKey("count"), -42);
    EXPECT_DOUBLE_EQ(defaults.doubleForKey("rate"), 1.25);
    EXPECT_EQ(defaults.stringForKey("login"), R"({"token":"中文 \"quoted\""})");
    EXPECT_EQ(defaults.stringArrayForKey("history"), (std::vector<std::string>{"a", "电影"}));
    EXPECT_EQ(defaults.dataForKey("blob"), (UserDefaults::Data{0, 1, 254, 255}));
}

TEST(UserDefaults, TheChangeCountMovesWithEveryChangeAndEveryNewDefaults) {
    const auto file = defaultsFile("changes");
    UserDefaults defaults(file);
    std::uint64_t count = UserDefaults::changeCount();
    const auto moved = [&count] {
        const bool changed = UserDefaults::changeCount() != count;
        count = UserDefaults::changeCount();
        return changed;
    };
    defaults.setString("login", "a");
    EXPECT_TRUE(moved());
    defaults.setString("login", "a"); // written again: readers simply read it again
    EXPECT_TRUE(moved());
    EXPECT_EQ(defaults.stringForKey("login"), "a");
    defaults.removeObject("missing");
    EXPECT_FALSE(moved());
    defaults.removeObject("login");
    EXPECT_TRUE(moved());
    defaults.setObject("object", JSON::parse(R"({"a":1})"));
    EXPECT_TRUE(moved());
    UserDefaults again(file);
    EXPECT_TRUE(moved());
}

TEST(UserDefaults, ReadsConvertBetweenKindsAndMissingKeysReadEmpty) {
    UserDefaults defaults(defaultsFile("convert"));
    defaults.setString("yes", "YES");
    defaults.setString("number", "12");
    defaults.setInteger("int", 7);
    EXPECT_TRUE(defaults.boolForKey("yes"));
    EXPECT_TRUE(defaults.boolForKey("number"));
    EXPECT_EQ(defaults.integerForKey("number"), 12);
    EXPECT_EQ(defaults.stringForKey("int"), "7");
    EXPECT_FALSE(defaults.boolForKey("missing"));
    EXPECT_EQ(defaults.integerForKey("missing"), 0);
    EXPECT_FALSE(defaults.stringForKey("missing").has_value());
    EXPECT_FALSE(defaults.stringArrayForKey("int").has_value());
    EXPECT_FALSE(defaults.objectForKey("missing").exists());
    defaults.removeObject("int");
    EXPECT_FALSE(defaults.stringForKey("int").has_value());
}

TEST(UserDefaults, CorruptFileIsReportedKeptAsideAndTreatedAsEmpty) {
    auto file = defaultsFile("corrupt");
    std::ofstream(file) << "{\"login\": \"trunc";
    UserDefaults defaults(file);
    EXPECT_FALSE(defaults.stringForKey("login").has_value());
    defaults.setString("after", "ok");
    EXPECT_EQ(UserDefaults(file).stringForKey("after"), "ok");
    int asideCount = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        asideCount += entry.path().filename().string().find("unreadable") != std::string::npos;
    }
    EXPECT_EQ(asideCount, 1);
}

TEST(UserDefaults, FailedWriteIsReportedAndKeptInMemory) {
    auto folder = testsupport::freshFolder("readonly");
    UserDefaults defaults(folder / "missing-folder-is-a-file" / "defaults.json");
    std::ofstream(folder / "missing-folder-is-a-file") << "x";
    defaults.setString("k", "v");
    EXPECT_FALSE(defaults.lastWriteSucceeded());
    EXPECT_EQ(defaults.stringForKey("k"), "v");
}

// A writer killed at random instants never leaves a torn file: each reload parses and
// holds a value at least as new as the one seen before the previous kill.
TEST(UserDefaults, WriterKilledAtRandomMomentsLeavesAReadableFile) {
    auto file = defaultsFile("kill");
    std::mt19937 random(1234);
    std::int64_t lastSeen = 0;
    const std::string padding(4096, 'p');
    for (int round = 0; round < 25; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            UserDefaults defaults(file);
            for (std::int64_t value = defaults.integerForKey("counter") + 1;; ++value) {
                defaults.setString("padding", padding + std::to_string(value));
                defaults.setInteger("counter", value);
            }
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<>(200, 20000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        auto contents = JSON::Storage::parse(std::ifstream(file), nullptr, false);
        if (std::filesystem::exists(file)) {
            ASSERT_FALSE(contents.is_discarded()) << "round " << round;
        }
        UserDefaults reloaded(file);
        const auto counter = reloaded.integerForKey("counter");
        EXPECT_GE(counter, lastSeen);
        lastSeen = counter;
    }
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        EXPECT_EQ(entry.path().filename().string().find("unreadable"), std::string::npos);
    }
    EXPECT_GT(lastSeen, 0);
}

} // namespace
