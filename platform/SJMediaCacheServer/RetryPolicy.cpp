#include "platform/SJMediaCacheServer/RetryPolicy.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <string_view>

namespace mcs {

double RetryPolicy::delayAfter(int attempt, std::optional<double> retryAfterSeconds) const {
    const double backoff = firstDelaySeconds * std::pow(2.0, std::max(0, attempt - 1));
    return std::clamp(std::max(backoff, retryAfterSeconds.value_or(0)), 0.0, longestDelaySeconds);
}

bool isTransientStatus(int status) {
    return status == 408 || status == 429 || (status >= 500 && status <= 599);
}

std::optional<double> parseRetryAfter(std::string_view value, std::time_t now) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.remove_suffix(1);
    }
    if (value.empty()) {
        return std::nullopt;
    }
    if (std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
        if (value.size() > 9) {
            return std::nullopt;
        }
        return std::stod(std::string(value));
    }
    // An IMF-fixdate, "Sun, 06 Nov 1994 08:49:37 GMT", the form senders must use (read
    // without the locale, which may name months otherwise).
    static constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (value.size() != 29 || value[3] != ',' || value.substr(25) != " GMT") {
        return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        int result = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (std::isdigit(static_cast<unsigned char>(value[i])) == 0) {
                return -1;
            }
            result = result * 10 + (value[i] - '0');
        }
        return result;
    };
    const auto month = kMonths.find(value.substr(8, 3));
    std::tm date{};
    date.tm_mday = number(5, 2);
    date.tm_year = number(12, 4) - 1900;
    date.tm_hour = number(17, 2);
    date.tm_min = number(20, 2);
    date.tm_sec = number(23, 2);
    if (month == std::string_view::npos || month % 3 != 0 || date.tm_mday < 1 || date.tm_year < 0 ||
        date.tm_hour < 0 || date.tm_min < 0 || date.tm_sec < 0 || value[16] != ' ' || value[19] != ':' ||
        value[22] != ':') {
        return std::nullopt;
    }
    date.tm_mon = static_cast<int>(month / 3);
    return std::max(0.0, std::difftime(::timegm(&date), now));
}

} // namespace mcs
