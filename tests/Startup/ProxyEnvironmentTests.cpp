// The application as shipped, started the way a corporate desktop's shell starts it: with
// a proxy named in its environment. Proxies are ignored (the README's service
// configuration), so it reaches its service directly and no lookup ever needs itself.

#include "tests/support/TestSupport.h"
#include "tests/support/WatchedChild.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <algorithm>

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
