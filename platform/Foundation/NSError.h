#pragma once

#include <cstdint>
#include <string>

// An error as callers of the service see it: a domain text and an integer code.
struct NSError {
    std::string domain;
    std::int64_t code = 0;

    bool operator==(const NSError&) const = default;
};
