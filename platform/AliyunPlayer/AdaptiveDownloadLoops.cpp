#include "platform/AliyunPlayer/AdaptiveDownloadLoops.h"

#include <sys/syscall.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

// GLib names a thread after its first 15 characters ("adaptive-download-task").
constexpr const char* downloadThreadName = "adaptive-downlo";

bool isPollCall(long number) {
#ifdef SYS_poll
    if (number == SYS_poll) {
        return true;
    }
#endif
    return number == SYS_ppoll;
}

// Whether every download thread is blocked in poll(), which in that thread happens only
// inside its event loop.
bool allDownloadThreadsPoll() {
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream commFile(task.path() / "comm");
        std::string name;
        if (!std::getline(commFile, name) || name != downloadThreadName) {
            continue;
        }
        // The number of the call the thread is blocked in, or "running"; nothing for a
        // thread that ended in between.
        std::ifstream callFile(task.path() / "syscall");
        std::string call;
        if (!(callFile >> call)) {
            continue;
        }
        char* end = nullptr;
        const long number = std::strtol(call.c_str(), &end, 10);
        if (end == call.c_str() || *end != '\0' || !isPollCall(number)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool waitForAdaptiveDownloadLoops(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!allDownloadThreadsPoll()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
