#include "app/Extensions/StringExtensions.h"

#include "platform/CommonCrypto/CommonDigest.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Byte offsets of the grapheme-cluster boundaries of a UTF-8 text, 0 and the text's
// size included. Malformed bytes count as one character each, as ICU reads them.
std::vector<std::size_t> characterBoundaries(const std::string& text) {
    std::vector<std::size_t> boundaries{0};
    if (text.empty()) {
        return boundaries;
    }
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status);
    std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_SUCCESS(status)) {
        iterator->setText(utext, status);
    }
    if (U_FAILURE(status)) {
        // Without break data every byte would be a guess; treat the text as one run.
        utext_close(utext);
        boundaries.push_back(text.size());
        return boundaries;
    }
    for (std::int32_t next = iterator->next(); next != icu::BreakIterator::DONE; next = iterator->next()) {
        boundaries.push_back(static_cast<std::size_t>(next));
    }
    utext_close(utext);
    return boundaries;
}

} // namespace

std::string md5String(const std::string& text) {
    if (text.size() > std::numeric_limits<CC_LONG>::max()) {
        throw std::length_error("md5String: text longer than the digest interface accepts");
    }
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    CC_MD5(text.data(), static_cast<CC_LONG>(text.size()), digest);
    // Every request is signed with one: written digit by digit rather than formatted.
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex(2 * CC_MD5_DIGEST_LENGTH, '0');
    for (std::size_t i = 0; i < CC_MD5_DIGEST_LENGTH; ++i) {
        hex[2 * i] = digits[digest[i] >> 4];
        hex[2 * i + 1] = digits[digest[i] & 0x0f];
    }
    return hex;
}

std::optional<std::string> substringTo(const std::string& text, std::int64_t n) {
    const auto boundaries = characterBoundaries(text);
    const auto count = static_cast<std::int64_t>(boundaries.size()) - 1;
    if (n < 1 || n > count) {
        return std::nullopt;
    }
    return text.substr(0, boundaries[static_cast<std::size_t>(n)]);
}

std::optional<std::string> substringFrom(const std::string& text, std::int64_t n) {
    const auto boundaries = characterBoundaries(text);
    const auto count = static_cast<std::int64_t>(boundaries.size()) - 1;
    if (n < 0 || n >= count) {
        return std::nullopt;
    }
    return text.substr(boundaries[static_cast<std::size_t>(n)]);
}

std::optional<std::string> substringRange(const std::string& text, std::int64_t lower, std::int64_t upper) {
    const auto boundaries = characterBoundaries(text);
    const auto count = static_cast<std::int64_t>(boundaries.size()) - 1;
    if (lower < 0 || lower >= upper || upper > count) {
        return std::nullopt;
    }
    const auto begin = boundaries[static_cast<std::size_t>(lower)];
    return text.substr(begin, boundaries[static_cast<std::size_t>(upper)] - begin);
}
