#pragma once

#include <cstddef>
#include <limits>

// A range of a text in UTF-16 code units, as the platform's string ranges count.
struct NSRange {
    std::size_t location = 0;
    std::size_t length = 0;
    std::size_t end() const { return location + length; }
    friend bool operator==(const NSRange&, const NSRange&) = default;
};

// The location of a range that was not found.
inline constexpr std::size_t NSNotFound = static_cast<std::size_t>(std::numeric_limits<long>::max());

inline NSRange NSMakeRange(std::size_t location, std::size_t length) {
    return {location, length};
}
