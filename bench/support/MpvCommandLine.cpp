#include "bench/support/MpvCommandLine.h"

#include "platform/AVFoundation/mpv/MpvSession.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

extern char** environ;

namespace benchmpv {

std::vector<std::string> arguments(const Media& media, const std::filesystem::path& logFile) {
    MpvSession::Options options;
    options.audioOutput = false;
    options.certificateAuthorityFile = media.certificateAuthorityFile;
    std::vector<std::string> list{"mpv"};
    for (const auto& [name, value] : MpvSession::startSettings(options)) {
        const std::string_view setting = name;
        if (setting == "vo") {
            list.emplace_back("--vo=null");
        } else if (setting == "idle" || setting == "pause" || setting == "keep-open") {
            list.push_back("--" + std::string(setting) + "=no");
        } else {
            list.push_back("--" + std::string(setting) + "=" + value);
        }
    }
    if (!media.certificateAuthorityFile.empty()) {
        list.push_back("--tls-ca-file=" + media.certificateAuthorityFile.string());
    }
    if (!media.userAgent.empty()) {
        list.push_back("--user-agent=" + media.userAgent);
    }
    std::string fields;
    for (const auto& [name, value] : media.headerFields) {
        fields += (fields.empty() ? "" : ",") + name + ": " + value;
    }
    if (!fields.empty()) {
        list.push_back("--http-header-fields=" + fields);
    }
    list.emplace_back("--frames=1");
    list.push_back("--log-file=" + logFile.string());
    list.push_back(media.url);
    return list;
}

double firstPictureSeconds(const Media& media, const std::filesystem::path& logFile) {
    std::filesystem::remove(logFile);
    std::vector<std::string> list = arguments(media, logFile);
    std::vector<char*> argv;
    for (auto& argument : list) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "mpv", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    // "[   0.123][v][cplayer] first video frame after restart shown"
    std::ifstream log(logFile);
    std::string line;
    while (std::getline(log, line)) {
        if (line.find("first video frame after restart shown") != std::string::npos && !line.empty() &&
            line.front() == '[') {
            return std::atof(line.c_str() + 1);
        }
    }
    return -1;
}

} // namespace benchmpv
