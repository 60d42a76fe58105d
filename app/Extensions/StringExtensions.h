#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Text helpers that need no interface layer. Texts are UTF-8; character positions and
// counts are user-perceived characters (extended grapheme clusters), not bytes.

// The MD5 digest of the text's UTF-8 bytes as 32 lower-case hexadecimal digits.
std::string md5String(const std::string& text);

// The first n characters when 1 <= n <= character count; nothing otherwise.
std::optional<std::string> substringTo(const std::string& text, std::int64_t n);
// Characters n to the end when 0 <= n < character count; nothing otherwise.
std::optional<std::string> substringFrom(const std::string& text, std::int64_t n);
// Characters lower up to (not including) upper when 0 <= lower < upper <= character
// count; nothing otherwise (an empty range included).
std::optional<std::string> substringRange(const std::string& text, std::int64_t lower, std::int64_t upper);
