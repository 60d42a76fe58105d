#pragma once

#include "platform/SJMediaCacheServer/MediaCache.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string_view>

namespace mcs {

// How often, and after which pauses, a fetch that failed for a passing reason (no
// connection, a reset, a timeout, an answer cut short, 408, 429 or 5xx) is tried again.
// The pause doubles after each failure, and an origin's Retry-After replaces it when
// longer; no pause exceeds `longestDelaySeconds`.
struct RetryPolicy {
    int attempts = 5;
    double firstDelaySeconds = 0.5;
    double longestDelaySeconds = 30;

    // The pause after failed attempt `attempt` (1 for the first).
    double delayAfter(int attempt, std::optional<double> retryAfterSeconds) const;
};

// Runs `operation` (a wait of the cache) until it succeeds, is cancelled, fails for good
// or has used the policy's attempts; `pause(seconds)` waits between attempts and answers
// false when the work was cancelled meanwhile.
template <typename Operation, typename Pause>
WaitResult retrying(const RetryPolicy& policy, Operation&& operation, Pause&& pause) {
    for (int attempt = 1;; ++attempt) {
        const WaitResult result = operation();
        if (result.kind == WaitResult::Ready || result.kind == WaitResult::End ||
            result.kind == WaitResult::Cancelled) {
            return result;
        }
        const bool transient =
            result.kind == WaitResult::TimedOut || (result.kind == WaitResult::Failed && result.transient);
        if (!transient || attempt >= policy.attempts) {
            return result;
        }
        if (!pause(policy.delayAfter(attempt, result.retryAfterSeconds))) {
            return {WaitResult::Cancelled};
        }
    }
}

// Whether an origin's answer with this status may succeed when asked again.
bool isTransientStatus(int status);

// The seconds a Retry-After field asks for: delay-seconds, or an HTTP-date relative to
// `now`; none when the value is neither.
std::optional<double> parseRetryAfter(std::string_view value, std::time_t now);

} // namespace mcs
