#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/KeyValueObserving.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

// Puts a stand-in for the desktop's opener first on the search path: it writes the
// arguments it was given (each ended by a NUL) beside itself and exits with the status in
// FAKE_OPENER_STATUS.
class OpenURL : public testing::Test {
  protected:
    void SetUp() override {
        folder = testsupport::freshFolder("opener");
        const auto opener = folder / "xdg-open";
        ASSERT_TRUE(writeFileAtomically(opener, "#!/bin/sh\n"
                                                "printf '%s\\0' \"$@\" > \"$(dirname \"$0\")/arguments\"\n"
                                                "exit \"${FAKE_OPENER_STATUS:-0}\"\n"));
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        savedPath = path != nullptr ? path : "";
        setenv("PATH", (folder.string() + ":" + savedPath).c_str(), 1);
        unsetenv("FAKE_OPENER_STATUS");
    }

    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        unsetenv("FAKE_OPENER_STATUS");
    }

    // Opens `url` and waits for the completion.
    std::optional<bool> open(const std::string& url) {
        std::optional<bool> result;
        UIApplication::sharedApplication()->openURL(url, {}, [&](bool success) { result = success; });
        RunLoop::main().runUntil([&] { return result.has_value(); }, 10);
        return result;
    }

    // The arguments the opener got, if it ran.
    std::optional<std::vector<std::string>> openerArguments() const {
        auto text = readWholeFile(folder / "arguments");
        if (!text) {
            return std::nullopt;
        }
        std::vector<std::string> arguments;
        std::size_t start = 0;
        for (std::size_t end; (end = text->find('\0', start)) != std::string::npos; start = end + 1) {
            arguments.push_back(text->substr(start, end - start));
        }
        return arguments;
    }

    std::filesystem::path folder;
    std::string savedPath;
};

} // namespace

TEST_F(OpenURL, OnlyWebAddressesWithAHostAreOpened) {
    for (const char* refused : {"ftp://example.com/file", "file:///etc/passwd", "javascript:alert(1)",
                                "mailto:someone@example.com", "http:/example.com", "https://", "http://:80/",
                                "example.com", "", "https://example.com/\npath", "-https://example.com"}) {
        EXPECT_EQ(open(refused), false) << refused;
    }
    EXPECT_EQ(openerArguments(), std::nullopt) << "the opener never ran";

    EXPECT_EQ(open("HTTPS://Example.com/关于"), true);
    EXPECT_EQ(openerArguments(), (std::vector<std::string>{"HTTPS://Example.com/关于"}));
}

TEST_F(OpenURL, SpacesAndShellCharactersReachTheOpenerAsOneArgument) {
    const auto marker = folder / "touched";
    const std::string url = "https://example.com/a b?q=1;touch " + marker.string() + "&x=$(touch " +
                            marker.string() + ")|`touch " + marker.string() + "` '\"*";
    EXPECT_EQ(open(url), true);
    EXPECT_EQ(openerArguments(), (std::vector<std::string>{url}));
    EXPECT_FALSE(std::filesystem::exists(marker)) << "no shell ever saw the address";
}

TEST_F(OpenURL, AFailingOrMissingOpenerReportsFailure) {
    setenv("FAKE_OPENER_STATUS", "4", 1);
    EXPECT_EQ(open("http://example.com"), false);
    unsetenv("FAKE_OPENER_STATUS");

    const auto empty = testsupport::freshFolder("no-opener");
    setenv("PATH", empty.string().c_str(), 1);
    EXPECT_EQ(open("http://example.com"), false);
}

TEST(Application, HostStateChangesPostThePlatformsNotifications) {
    auto& center = NotificationCenter::defaultCenter();
    std::vector<std::string> posted;
    std::vector<NotificationCenter::ObserverToken> tokens;
    for (const auto& name :
         {UIApplicationDidBecomeActiveNotification, UIApplicationWillResignActiveNotification,
          UIApplicationDidEnterBackgroundNotification, UIApplicationWillEnterForegroundNotification}) {
        tokens.push_back(
            center.addObserver(name, [&posted](const Notification& note) { posted.push_back(note.name); }));
    }
    const auto& application = UIApplication::sharedApplication();
    application->hostStateChanged(UIApplicationState::active);
    application->hostStateChanged(UIApplicationState::active);
    application->hostStateChanged(UIApplicationState::inactive);
    application->hostStateChanged(UIApplicationState::background);
    application->hostStateChanged(UIApplicationState::active);
    EXPECT_EQ(posted, (std::vector<std::string>{UIApplicationDidBecomeActiveNotification,
                                                UIApplicationWillResignActiveNotification,
                                                UIApplicationDidEnterBackgroundNotification,
                                                UIApplicationWillEnterForegroundNotification,
                                                UIApplicationDidBecomeActiveNotification}));
    EXPECT_EQ(application->applicationState(), UIApplicationState::active);
}

TEST(KeyValueObserving, ObserversGetOldNewAndInitialValuesUntilTheyStop) {
    KeyValueObservable<int> value(1);
    std::vector<std::pair<std::optional<int>, std::optional<int>>> seen;
    auto observation = value.observe(
        NSKeyValueObservingOptionInitial | NSKeyValueObservingOptionNew | NSKeyValueObservingOptionOld,
        [&](const auto& change) { seen.emplace_back(change.oldValue, change.newValue); });
    value.setValue(2);
    value.setValue(2);
    EXPECT_EQ(seen, (std::vector<std::pair<std::optional<int>, std::optional<int>>>{
                        {std::nullopt, 1}, {1, 2}, {2, 2}}))
        << "an initial report, then one per set";
    observation.reset();
    value.setValue(3);
    EXPECT_EQ(seen.size(), 3u) << "no reports once the observation is gone";

    int ownReports = 0;
    std::shared_ptr<NSKeyValueObservation> selfEnding;
    selfEnding = value.observe(NSKeyValueObservingOptionNew, [&](const auto&) {
        ++ownReports;
        selfEnding->invalidate();
    });
    value.setValue(4);
    value.setValue(5);
    EXPECT_EQ(ownReports, 1) << "an observer may end its observation from its handler";
}
