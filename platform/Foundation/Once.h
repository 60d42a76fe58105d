#pragma once

#include <mutex>
#include <utility>

// One-time initialisation in the manner of dispatch_once: `body` runs exactly once per
// token, even when several threads arrive together; late arrivals wait for it.
using OnceToken = std::once_flag;

template <typename Body> void dispatchOnce(OnceToken& token, Body&& body) {
    std::call_once(token, std::forward<Body>(body));
}
