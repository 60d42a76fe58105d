#pragma once

#include <optional>
#include <string>
#include <string_view>

// The first look at an answer's body: whether it is the common success answer, and
// where its payload text lies.
namespace KKriplogEnvelope {

// The payload text of the common answer: an envelope object whose "code" is the
// success code as a number and whose "data" is a text that is not empty. Nothing for
// any other body (or one naming either key twice), which goes the general way through a
// parsed envelope. A body that gives a text is valid JSON, and so valid UTF-8.
//
// The usual envelope (no escapes, no nested values) is read where it lies: the text
// then lies in `body`. Any other body is parsed, and the text lies in the parser's
// buffer, valid until the next body is read. Main thread only.
std::optional<std::string_view> successPayloadText(const std::string& body);

} // namespace KKriplogEnvelope
