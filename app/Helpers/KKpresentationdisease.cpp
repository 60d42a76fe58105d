#include "app/Helpers/KKpresentationdisease.h"

#include "app/Extensions/StringExtensions.h"
#include "app/Models/KKrearinfluence.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

// Appended to every request's parameter text before it is digested; the service
// computes the same digest to check the request.
constexpr const char* kSigningSalt = "Lp5vRc2nMx8dJw3F";

std::string formatWithUnit(double value, const char* unit) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f%s", value, unit);
    return buffer;
}

std::string twoDigits(std::int64_t value) {
    return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

// The mobile-number expression in the platform's own regular-expression dialect (ICU):
// \d is any Unicode decimal digit, and "$" without the multi-line option also matches
// before one line terminator that ends the text. Nothing when ICU cannot build it.
const icu::RegexPattern* phoneNumberPattern() {
    static const std::unique_ptr<icu::RegexPattern> pattern = [] {
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError;
        std::unique_ptr<icu::RegexPattern> compiled(
            icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(R"(^1(3|4|5|7|8)[0-9]\d{8}$)"),
                                       UREGEX_CASE_INSENSITIVE, parseError, status));
        return U_SUCCESS(status) ? std::move(compiled) : nullptr;
    }();
    return pattern.get();
}

} // namespace

std::string KKpresentationdisease::formatSize(double kilobytes) {
    if (!(kilobytes > 1000)) {
        return formatWithUnit(kilobytes, "kb");
    }
    const double megabytes = kilobytes / 1000;
    if (megabytes > 1000) {
        return formatWithUnit(megabytes / 1000, "GB");
    }
    return formatWithUnit(megabytes, "MB");
}

std::string KKpresentationdisease::signParameters(const std::map<std::string, std::string>& parameters) {
    std::size_t length = std::char_traits<char>::length(kSigningSalt);
    for (const auto& [key, value] : parameters) {
        length += key.size() + value.size();
    }
    std::string text;
    text.reserve(length);
    for (const auto& [key, value] : parameters) {
        text += key;
        text += value;
    }
    text += kSigningSalt;
    return md5String(text);
}

bool KKpresentationdisease::checkUserGroup() {
    const auto user = KKrearinfluence::storedUser();
    if (!user) {
        return false;
    }
    return !user->groupId.has_value() || *user->groupId != "2";
}

std::string KKpresentationdisease::toJSONString(const JSON& value) {
    if (!value.exists()) {
        return "";
    }
    try {
        return value.storage().dump();
    } catch (const JSON::Storage::exception&) {
        // Text that is not valid UTF-8 cannot be written as JSON.
        return "";
    }
}

double KKpresentationdisease::folderSize(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (path.empty() || !fs::is_directory(path, error)) {
        return 0;
    }
    // The folder is walked directly rather than through URL texts, so that paths with
    // blanks or non-ASCII names are counted like any other.
    double bytes = 0;
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || it->is_symlink(entryError)) {
            continue;
        }
        const auto size = it->file_size(entryError);
        if (!entryError) {
            bytes += static_cast<double>(size);
        }
    }
    return bytes / 1000;
}

bool KKpresentationdisease::isPhoneNumber(const std::string& text) {
    const icu::RegexPattern* pattern = phoneNumberPattern();
    if (pattern == nullptr) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(input, status));
    if (U_FAILURE(status)) {
        return false;
    }
    const bool found = matcher->find(status);
    return U_SUCCESS(status) && found;
}

std::string KKpresentationdisease::formatDuration(std::int64_t seconds) {
    // A negative count (a playback position before the start) reads as the start rather
    // than as a garbled text.
    if (seconds < 0) {
        seconds = 0;
    }
    const std::int64_t hours = seconds / 3600;
    const std::int64_t rest = seconds - hours * 3600;
    const std::int64_t minutes = rest / 60;
    const std::int64_t secs = rest - minutes * 60;
    const std::string minutesAndSeconds = twoDigits(minutes) + ":" + twoDigits(secs);
    if (hours == 0) {
        return minutesAndSeconds;
    }
    return twoDigits(hours) + ":" + minutesAndSeconds;
}
