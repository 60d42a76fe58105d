#include "tests/platform/AliyunPlayer/HelperProcesses.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace playertest {

std::vector<pid_t> playbinHelpers(pid_t parent) {
    if (parent == 0) {
        parent = ::getpid();
    }
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        // "pid (comm) state ppid ...": the name may hold spaces and parentheses.
        std::ifstream file(entry.path() / "stat");
        std::string stat;
        std::getline(file, stat);
        const auto open = stat.find('(');
        const auto close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open) {
            continue;
        }
        const std::string comm = stat.substr(open + 1, close - open - 1);
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (comm == "orvex-playbin" && ppid == parent && state != "Z") {
            found.push_back(static_cast<pid_t>(std::stol(name)));
        }
    }
    return found;
}

bool mapsLibrary(pid_t pid, const std::string& name) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const auto slash = line.rfind('/');
        if (slash != std::string::npos && line.find(name, slash) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace playertest
