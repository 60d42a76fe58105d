#pragma once

#include "platform/UIKit/NSAttributedString.h"

#include <optional>
#include <string>
#include <vector>

// Attributed texts built from plain texts: a text carrying attributes, with more text
// appended or with parts of it styled apart.

using TextAttributes = NSAttributedString::Attributes;

// `text` carrying `attributes`; when both are given, `appendContent` carrying
// `appendAttribute` follows it.
NSMutableAttributedString attributeString(const std::string& text, const TextAttributes& attributes,
                                          const std::optional<std::string>& appendContent,
                                          const std::optional<TextAttributes>& appendAttribute);

// `text` carrying `attributes`; when both are given and the text contains `inside`,
// `insideAttribute` is added over its first occurrence (literal, case-sensitive).
NSMutableAttributedString attributeStringInside(const std::string& text, const TextAttributes& attributes,
                                                const std::optional<std::string>& inside,
                                                const std::optional<TextAttributes>& insideAttribute);

// As above for several parts: the first occurrence of each listed text, in list order;
// parts that do not occur are skipped.
NSMutableAttributedString attributeStringInside(const std::string& text, const TextAttributes& attributes,
                                                const std::optional<std::vector<std::string>>& inside,
                                                const std::optional<TextAttributes>& insideAttribute);
