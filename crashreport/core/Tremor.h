#pragma once

#include <optional>
#include <string>

// The crash SDK's public entry. Started once by the launch sequence; afterwards the SDK
// runs by itself and the application calls nothing else. Main thread only.
class Tremor {
  public:
    Tremor() = delete;

    // Starts the SDK for the application ID (10 hexadecimal characters) without a
    // configuration. An empty ID is refused; a second start is ignored.
    static void startWithAppId(const std::string& appId);

    // The ID the SDK was started with; nothing before a successful start.
    static std::optional<std::string> startedAppId();
};
