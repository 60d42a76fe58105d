#include "tools/devservice/ByteRange.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

namespace devservice {
namespace {

std::optional<std::size_t> readNumber(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

RangeAnswer partial(std::size_t first, std::size_t last) {
    return {RangeAnswer::Kind::partial, first, last};
}

} // namespace

RangeAnswer resolveRange(std::string_view header, std::size_t length) {
    constexpr std::string_view prefix = "bytes=";
    const RangeAnswer whole;
    const RangeAnswer unsatisfiable{RangeAnswer::Kind::unsatisfiable, 0, 0};
    if (!header.starts_with(prefix)) {
        return whole;
    }
    const std::string_view spec = header.substr(prefix.size());
    const std::size_t dash = spec.find('-');
    if (spec.find(',') != std::string_view::npos || dash == std::string_view::npos) {
        return whole;
    }
    const std::string_view firstText = spec.substr(0, dash);
    const std::string_view lastText = spec.substr(dash + 1);

    if (firstText.empty()) { // suffix: the last n bytes
        const auto count = readNumber(lastText);
        if (!count) {
            return whole;
        }
        if (*count == 0 || length == 0) {
            return unsatisfiable;
        }
        return partial(*count >= length ? 0 : length - *count, length - 1);
    }
    const auto first = readNumber(firstText);
    const auto last = lastText.empty() ? std::optional<std::size_t>(SIZE_MAX) : readNumber(lastText);
    if (!first || !last || *last < *first) {
        return whole;
    }
    if (*first >= length) {
        return unsatisfiable;
    }
    return partial(*first, std::min(*last, length - 1));
}

} // namespace devservice
