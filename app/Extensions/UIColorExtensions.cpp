#include "app/Extensions/UIColorExtensions.h"

#include "app/Extensions/StringExtensions.h"
#include "platform/UIKit/UIGraphics.h"

#include <optional>
#include <string>

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWhiteSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isWhiteSpace(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

void removeAll(std::string& text, std::string_view part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

// The standard integer parser with radix 16: an optional sign, then one or more
// hexadecimal digits; nothing for anything else or a value beyond 64 bits.
std::optional<std::int64_t> parseHexadecimal(const std::string& text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at == text.size()) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = negative ? std::uint64_t(INT64_MAX) + 1 : std::uint64_t(INT64_MAX);
    for (; at < text.size(); ++at) {
        const char c = text[at];
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        if (magnitude > (limit - std::uint64_t(digit)) / 16) {
            return std::nullopt;
        }
        magnitude = magnitude * 16 + std::uint64_t(digit);
    }
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}

UIColor colorFromBits(std::int64_t value, double alpha) {
    return UIColor::colorWithRed(double((value >> 16) & 0xFF) / 255, double((value >> 8) & 0xFF) / 255,
                                 double(value & 0xFF) / 255, alpha);
}

} // namespace

UIColor hexColor(std::string_view text, double alpha) {
    std::string digits = trimmed(text);
    if (digits.empty()) {
        return UIColor{};
    }
    removeAll(digits, "#");
    removeAll(digits, "0x");
    if (substringTo(digits, 9)) {
        return UIColor{};
    }
    if (substringTo(digits, 8) && !substringFrom(digits, 8)) {
        alpha = double(parseHexadecimal(substringTo(digits, 2).value_or("")).value_or(0)) / 255;
        digits = substringFrom(digits, 2).value_or("");
    }
    return colorFromBits(parseHexadecimal(digits).value_or(0), alpha);
}

UIColor hexColor(std::int64_t color, double alpha) {
    return colorFromBits(color, alpha);
}

UIColor hexColor(std::int64_t color) {
    const double alpha = color < (std::int64_t(1) << 24) ? 1.0 : double((color >> 24) & 0xFF) / 255;
    return colorFromBits(color, alpha);
}

std::shared_ptr<UIImage> colorImage(const UIColor& color, CGSize size) {
    UIGraphicsBeginImageContext(size);
    std::shared_ptr<UIImage> image;
    if (CGContext* context = UIGraphicsGetCurrentContext()) {
        cairo_t* cr = context->cairo();
        cairo_rectangle(cr, 0, 0, size.width, size.height);
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        cairo_fill(cr);
        image = UIGraphicsGetImageFromCurrentImageContext();
    }
    UIGraphicsEndImageContext();
    return image;
}

std::shared_ptr<UIImage> colorImage(const UIColor& color) {
    return colorImage(color, {1, 1});
}
