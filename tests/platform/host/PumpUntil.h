#pragma once

#include "platform/host/SDLWindowHost.h"

#include <chrono>
#include <functional>

namespace hosttest {

// Pumps the window loop until `done`, for at most `seconds` of real time (the engine
// decodes for real).
inline bool pumpUntil(SDLWindowHost& host, const std::function<bool()>& done, double seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        host.pumpOnce();
    }
    return true;
}

} // namespace hosttest
