#include "app/Extensions/AttributedTextBuilders.h"

namespace {

// The UTF-16 range of the first occurrence of `part` in `text`, if any.
std::optional<NSRange> firstOccurrence(const std::string& text, const std::string& part) {
    const std::size_t at = text.find(part);
    if (part.empty() || at == std::string::npos) {
        return std::nullopt;
    }
    return NSMakeRange(NSAttributedString(text.substr(0, at)).length(), NSAttributedString(part).length());
}

} // namespace

NSMutableAttributedString attributeString(const std::string& text, const TextAttributes& attributes,
                                          const std::optional<std::string>& appendContent,
                                          const std::optional<TextAttributes>& appendAttribute) {
    NSMutableAttributedString result(text, attributes);
    if (appendContent && appendAttribute) {
        result.appendAttributedString(NSAttributedString(*appendContent, *appendAttribute));
    }
    return result;
}

NSMutableAttributedString attributeStringInside(const std::string& text, const TextAttributes& attributes,
                                                const std::optional<std::string>& inside,
                                                const std::optional<TextAttributes>& insideAttribute) {
    NSMutableAttributedString result(text, attributes);
    if (inside && insideAttribute) {
        if (auto range = firstOccurrence(text, *inside)) {
            result.addAttributes(*insideAttribute, *range);
        }
    }
    return result;
}

NSMutableAttributedString attributeStringInside(const std::string& text, const TextAttributes& attributes,
                                                const std::optional<std::vector<std::string>>& inside,
                                                const std::optional<TextAttributes>& insideAttribute) {
    NSMutableAttributedString result(text, attributes);
    if (inside && insideAttribute) {
        for (const std::string& part : *inside) {
            if (auto range = firstOccurrence(text, part)) {
                result.addAttributes(*insideAttribute, *range);
            }
        }
    }
    return result;
}
