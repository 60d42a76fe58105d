#include "platform/UIKit/UIFont.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace {

// The fontconfig weight (100 ... 900) nearest to a system weight.
int pangoWeight(UIFontWeight weight) {
    static const std::pair<UIFontWeight, int> steps[] = {
        {UIFontWeightUltraLight, 100}, {UIFontWeightThin, 200},   {UIFontWeightLight, 300},
        {UIFontWeightRegular, 400},    {UIFontWeightMedium, 500}, {UIFontWeightSemibold, 600},
        {UIFontWeightBold, 700},       {UIFontWeightHeavy, 800},  {UIFontWeightBlack, 900},
    };
    int best = 400;
    double distance = 1e9;
    for (const auto& [w, pango] : steps) {
        if (std::fabs(w - weight) < distance) {
            distance = std::fabs(w - weight);
            best = pango;
        }
    }
    return best;
}

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

UIFontWeight weightNamedIn(const std::string& fontName) {
    const std::string name = lowercased(fontName);
    const auto dash = name.rfind('-');
    const std::string style = dash == std::string::npos ? std::string() : name.substr(dash + 1);
    static const std::pair<const char*, UIFontWeight> styles[] = {
        {"ultralight", UIFontWeightUltraLight},
        {"thin", UIFontWeightThin},
        {"light", UIFontWeightLight},
        {"regular", UIFontWeightRegular},
        {"medium", UIFontWeightMedium},
        {"semibold", UIFontWeightSemibold},
        {"bold", UIFontWeightBold},
        {"heavy", UIFontWeightHeavy},
        {"black", UIFontWeightBlack},
    };
    for (const auto& [suffix, weight] : styles) {
        if (style == suffix) {
            return weight;
        }
    }
    return UIFontWeightRegular;
}

} // namespace

UIFont::UIFont(CGFloat size, UIFontWeight weight, std::string name)
    : fontName_(std::move(name)), pointSize_(std::isfinite(size) && size > 0 ? size : 17), weight_(weight) {}

UIFont UIFont::systemFontOfSize(CGFloat size, UIFontWeight weight) {
    return UIFont(size, weight);
}

UIFont UIFont::boldSystemFontOfSize(CGFloat size) {
    return UIFont(size, UIFontWeightBold);
}

UIFont UIFont::fontWithName(const std::string& name, CGFloat size) {
    return UIFont(size, weightNamedIn(name), name);
}

UIFont UIFont::fontWithSize(CGFloat size) const {
    return UIFont(size, weight_, fontName_);
}

render::FontSpec UIFont::fontSpec() const {
    return {render::kUIFontFamily, pangoWeight(weight_), pointSize_};
}

CGFloat UIFont::lineHeight() const {
    return render::fontMetrics(fontSpec()).lineHeight;
}
CGFloat UIFont::ascender() const {
    return render::fontMetrics(fontSpec()).ascender;
}
CGFloat UIFont::descender() const {
    return render::fontMetrics(fontSpec()).descender;
}
CGFloat UIFont::capHeight() const {
    return render::fontMetrics(fontSpec()).capHeight;
}
CGFloat UIFont::xHeight() const {
    return render::fontMetrics(fontSpec()).xHeight;
}
