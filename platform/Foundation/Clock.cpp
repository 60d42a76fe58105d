#include "platform/Foundation/Clock.h"

SystemClock::SystemClock() : start_(std::chrono::steady_clock::now()) {}

double SystemClock::monotonic() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

double SystemClock::wall() const {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}
