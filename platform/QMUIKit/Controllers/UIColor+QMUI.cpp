#include "platform/QMUIKit/Controllers/UIColor+QMUI.h"

#include <cctype>

namespace {

double component(const std::string& digits, std::size_t start, std::size_t length) {
    std::string part = digits.substr(start, length);
    if (length == 1) {
        part += part;
    }
    return std::stoi(part, nullptr, 16) / 255.0;
}

} // namespace

std::optional<UIColor> qmui_colorWithHexString(const std::string& text) {
    std::string digits = text;
    if (!digits.empty() && digits.front() == '#') {
        digits.erase(0, 1);
    }
    for (char& c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    switch (digits.size()) {
    case 3:
        return UIColor::colorWithRed(component(digits, 0, 1), component(digits, 1, 1),
                                     component(digits, 2, 1), 1);
    case 4:
        return UIColor::colorWithRed(component(digits, 1, 1), component(digits, 2, 1),
                                     component(digits, 3, 1), component(digits, 0, 1));
    case 6:
        return UIColor::colorWithRed(component(digits, 0, 2), component(digits, 2, 2),
                                     component(digits, 4, 2), 1);
    case 8:
        return UIColor::colorWithRed(component(digits, 2, 2), component(digits, 4, 2),
                                     component(digits, 6, 2), component(digits, 0, 2));
    default:
        return std::nullopt;
    }
}
