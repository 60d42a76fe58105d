#pragma once

#include <cstdio>

// The closing line of a benchmark: whether its figure meets the target written beside
// it ("verdict, <what>: met" or "... missed"). Answers `met`.
inline bool printVerdict(const char* what, bool met) {
    std::printf("verdict, %s: %s\n", what, met ? "met" : "missed");
    return met;
}
