#pragma once

#include <optional>
#include <string>

// The analytics SDK's configuration entry. Started once by the launch sequence;
// afterwards the SDK runs by itself. Main thread only.
class TLConfigure {
  public:
    TLConfigure() = delete;

    // Starts the SDK with the application key and the distribution channel. An empty key
    // is refused with a log line and leaves the SDK stopped.
    static void initWithAppkey(const std::string& appKey, const std::string& channel);

    // The key and channel the SDK was started with; nothing before a successful start.
    static std::optional<std::string> appKey();
    static std::optional<std::string> channel();
};
