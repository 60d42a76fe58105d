#include "platform/UIKit/Controllers/URLOpener.h"

#include "platform/Foundation/Log.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserProgramEnvironment.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

bool isOpenableWebAddress(const std::string& url) {
    if (std::any_of(url.begin(), url.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        })) {
        return false;
    }
    const auto colon = url.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string scheme = url.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (scheme != "http" && scheme != "https") {
        return false;
    }
    if (url.compare(colon + 1, 2, "//") != 0) {
        return false;
    }
    const auto hostStart = colon + 3;
    const auto hostEnd = url.find_first_of("/?#", hostStart);
    std::string authority =
        url.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    const auto port = authority.rfind(':');
    const std::string host = port != std::string::npos && authority.find(']') == std::string::npos
                                 ? authority.substr(0, port)
                                 : authority;
    return !host.empty();
}

void runOpener(const std::string& program, const std::string& argument,
               std::function<void(bool success)> completion) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string programArgument = program;
    std::string addressArgument = argument;
    char* arguments[] = {programArgument.data(), addressArgument.data(), nullptr};
    // The program works for the user: it gets what the process kept out of its own
    // environment for itself (a proxy the user set).
    std::vector<std::string> environment = UserProgramEnvironment::entries();
    std::vector<char*> environmentPointers;
    for (auto& entry : environment) {
        environmentPointers.push_back(entry.data());
    }
    environmentPointers.push_back(nullptr);
    pid_t child = 0;
    const int error =
        posix_spawnp(&child, program.c_str(), &actions, &attributes, arguments, environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        consoleLog("[UIApplication] " + program + " could not be started: " + std::strerror(error));
        RunLoop::main().post([completion = std::move(completion)] {
            if (completion) {
                completion(false);
            }
        });
        return;
    }
    std::thread([child, completion = std::move(completion)]() mutable {
        int status = 0;
        pid_t waited = 0;
        do {
            waited = waitpid(child, &status, 0);
        } while (waited < 0 && errno == EINTR);
        const bool success = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        RunLoop::main().post([completion = std::move(completion), success] {
            if (completion) {
                completion(success);
            }
        });
    }).detach();
}
