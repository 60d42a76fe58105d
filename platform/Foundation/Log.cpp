#include "platform/Foundation/Log.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex& outputMutex() {
    static std::mutex mutex;
    return mutex;
}

void put(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace

void consoleLog(std::string_view line) {
    std::lock_guard lock(outputMutex());
    put(line);
    std::fflush(stdout);
}

void consoleLogLines(std::span<const std::string_view> lines) {
    std::lock_guard lock(outputMutex());
    for (const std::string_view line : lines) {
        put(line);
    }
    std::fflush(stdout);
}
