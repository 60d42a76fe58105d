// The application as shipped, started the way a corporate desktop's shell starts it: with
// a proxy named in its environment. Proxies are ignored (the README's service
// configuration), so it reaches its service directly and no lookup ever needs itself; the
// programs it opens for the user still get the user's proxy.

#include "Startup/ProxyEnvironment.h"
#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WatchedChild.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>

TEST(ProxyEnvironment, TheApplicationIgnoresAProxyNamedInItsEnvironmentAndReachesItsService) {
    DevService::Options options;
    options.dataDir = testsupport::freshFolder("proxy-environment-service");
    options.mediaDir = testsupport::sharedMediaDir();
    DevService service(options);
    ASSERT_TRUE(service.start()) << service.lastError();
    const auto home = testsupport::freshFolder("proxy-environment-home");
    service.writeClientConfiguration(home / "service.json");

    const std::string proxy = "http://proxy.invalid:3128";
    const auto application = testsupport::runWatchedChild(
        {ORVEX_APPLICATION, "--headless", "--screenshot", (home / "settled.png").string()},
        {"ORVEX_HOME=" + home.string(), "https_proxy=" + proxy, "HTTPS_PROXY=" + proxy, "http_proxy=" + proxy,
         "ALL_PROXY=" + proxy},
        100, 120);
    EXPECT_TRUE(application.exitedCleanly())
        << application.startError << "\nwait status " << application.waitStatus << ", threads at most "
        << application.mostThreads;
    EXPECT_LT(application.mostThreads, 100u);
    EXPECT_NE(application.output.find("Ignoring the proxy that the environment names (http_proxy, "
                                      "https_proxy, HTTPS_PROXY, ALL_PROXY)"),
              std::string::npos)
        << application.output;
    const auto requests = service.requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& request) {
        return request.path.rfind("/api/", 0) == 0;
    })) << "the application's API requests reach the service";
    service.stop();
}

// The browser opened for the user reaches the web through the user's proxy: the desktop's
// opener (a stand-in first on the search path, writing down its environment) gets the
// ignored variables back, while the process itself goes on without them.
TEST(ProxyEnvironment, ProgramsOpenedForTheUserGetTheIgnoredProxyBack) {
    const auto folder = testsupport::freshFolder("proxy-opener");
    const auto opener = folder / "xdg-open";
    ASSERT_TRUE(writeFileAtomically(opener, "#!/bin/sh\nenv -0 > \"$(dirname \"$0\")/environment\"\n"));
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const std::string savedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder.string() + ":" + savedPath).c_str(), 1);
    const std::string proxy = "http://proxy.invalid:3128";
    ::setenv("https_proxy", proxy.c_str(), 1);
    ::setenv("ALL_PROXY", proxy.c_str(), 1);
    ::setenv("ORVEX_OPENER_MARK", "kept", 1);

    ignoreProxyEnvironment();
    EXPECT_EQ(std::getenv("https_proxy"), nullptr);
    EXPECT_EQ(std::getenv("ALL_PROXY"), nullptr);

    std::optional<bool> opened;
    UIApplication::sharedApplication()->openURL("https://example.com/", {},
                                                [&](bool success) { opened = success; });
    RunLoop::main().runUntil([&] { return opened.has_value(); }, 10);
    ::setenv("PATH", savedPath.c_str(), 1);
    ::unsetenv("ORVEX_OPENER_MARK");
    ASSERT_EQ(opened, true);

    const auto text = readWholeFile(folder / "environment").value_or("");
    std::set<std::string> environment;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1) {
        environment.insert(text.substr(start, end - start));
    }
    EXPECT_EQ(environment.count("https_proxy=" + proxy), 1u);
    EXPECT_EQ(environment.count("ALL_PROXY=" + proxy), 1u);
    EXPECT_EQ(environment.count("ORVEX_OPENER_MARK=kept"), 1u) << "the rest of the environment too";
    EXPECT_EQ(std::getenv("https_proxy"), nullptr) << "the process itself still goes without";
}
