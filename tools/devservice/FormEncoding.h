#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace devservice {

// Form and query parameters as the service reads them: one value per key.
using FormParameters = std::map<std::string, std::string>;

// Decodes "%XX" escapes (and, for form text, "+" as a space). Answers nothing for a
// truncated or non-hexadecimal escape.
std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace);

// Decodes application/x-www-form-urlencoded text (also a URL's query string):
// "a=1&b=%E4%BD%A0". A key without "=" has the empty value; empty pieces are skipped.
// Answers nothing for a malformed escape or a key given twice, since a signature over
// such a form would be ambiguous.
std::optional<FormParameters> parseFormText(std::string_view text);

// Decodes unpadded or padded base64url (RFC 4648, section 5), as DNS-over-HTTPS GET
// requests carry their message. Answers nothing for any other character.
std::optional<std::string> decodeBase64Url(std::string_view text);

} // namespace devservice
