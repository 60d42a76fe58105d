#include "tests/support/TestSupport.h"
#include "tests/tools/devservice/RawClient.h"

#include "platform/Foundation/AtomicFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads the child's output until a whole line arrives or the real-time limit passes.
std::string readLine(int fd, double seconds) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd poller{fd, POLLIN, 0};
        if (::poll(&poller, 1, 100) <= 0) {
            continue;
        }
        char c = 0;
        if (::read(fd, &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    return line;
}

} // namespace

TEST(DevServiceExecutable, PrintsItsReadyLineServesAndStopsOnSigterm) {
    const auto data = testsupport::freshFolder("executable");
    const auto configuration = data / "service.json";
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        ::execl(ORVEX_DEVSERVICE_BINARY, "orvex-devservice", "--data", data.c_str(), "--port1", "0",
                "--port2", "0", "--client-config", configuration.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    const std::string ready = readLine(output[0], 60);
    int port1 = 0;
    int port2 = 0;
    ASSERT_EQ(std::sscanf(ready.c_str(), "orvex-devservice ready %d %d", &port1, &port2), 2) << ready;
    EXPECT_GT(port1, 0);
    EXPECT_GT(port2, 0);

    const auto written = nlohmann::json::parse(readWholeFile(configuration).value_or("{}"));
    EXPECT_EQ(written["baseURL1"], "https://api.orvex.test:" + std::to_string(port1) + "/");
    devservicetest::RequestOptions options;
    options.caFile = written["caFile"];
    options.resolve = {"api.orvex.test:" + std::to_string(port1) + ":127.0.0.1"};
    EXPECT_EQ(
        devservicetest::fetch(written["baseURL1"].get<std::string>() + "images/poster/1001.png", options)
            .status,
        200);

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::close(output[0]);
}

TEST(DevServiceExecutable, RefusesMissingArguments) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::freopen("/dev/null", "w", stderr);
        ::execl(ORVEX_DEVSERVICE_BINARY, "orvex-devservice", "--port1", "0", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 2);
}
