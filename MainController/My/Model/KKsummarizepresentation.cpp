#include "MainController/My/Model/KKsummarizepresentation.h"

#include "platform/Foundation/RunLoop.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>

KKsummarizepresentation::KKsummarizepresentation()
    : KKsummarizepresentation(&KKsummarizepresentation::getInterfaceBytes,
                              [] { return RunLoop::main().now(); }) {}

KKsummarizepresentation::KKsummarizepresentation(ByteCounter counter, Clock clock)
    : counter_(std::move(counter)), clock_(std::move(clock)) {}

std::uint64_t KKsummarizepresentation::getInterfaceBytes() {
    return interfaceBytesFromFile("/proc/net/dev");
}

std::uint64_t KKsummarizepresentation::interfaceBytesFromFile(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::uint64_t total = 0;
    while (std::getline(file, line)) {
        // "  eth0: <rx bytes> <rx packets> ..."; the two heading lines have no colon.
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string name = line.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        if (name.rfind("lo", 0) == 0) {
            continue;
        }
        std::istringstream fields(line.substr(colon + 1));
        std::uint64_t received = 0;
        if (fields >> received) {
            total += received;
        }
    }
    return total;
}

std::string KKsummarizepresentation::getInternetSpeed() {
    const double now = clock_();
    if (lastBytes != 0 && now - lastTime_ < 1.0) {
        return lastText_;
    }
    const std::uint64_t current = counter_();
    std::int64_t rate = 0;
    if (lastBytes != 0 && current > lastBytes) {
        // A counter that went back (an interface reset) counts as nothing received.
        rate = static_cast<std::int64_t>(static_cast<double>(current - lastBytes) / (now - lastTime_));
    }
    lastBytes = current;
    lastTime_ = now;
    lastText_ = formatNetWork(rate);
    return lastText_;
}

std::string KKsummarizepresentation::formatNetWork(std::int64_t n) {
    char text[48];
    if (n < 1024) {
        std::snprintf(text, sizeof text, "%" PRId64 "B/秒", n < 0 ? 0 : n);
    } else if (n < 0x100000) {
        std::snprintf(text, sizeof text, "%.1fKB/秒", static_cast<double>(n) / 1024.0);
    } else if (n < 0x40000000) {
        std::snprintf(text, sizeof text, "%.2fMB/秒", static_cast<double>(n) / 1048576.0);
    } else {
        std::snprintf(text, sizeof text, "%.2fGB/秒", static_cast<double>(n) / 1073741824.0);
    }
    return text;
}
