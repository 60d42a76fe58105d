#include "Startup/CommandLine.h"

#include <cstdlib>

namespace {

// A number between `low` and `high` written in full (no text after it).
bool parseNumber(const std::string& text, double low, double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    // Written as a comparison that "nan" fails.
    return end != text.c_str() && *end == '\0' && value >= low && value <= high;
}

bool parseScreen(const std::string& text, UIScreen::Metrics& screen) {
    const double scale = screen.scale;
    if (text == "modern" || text == "classic" || text == "tablet") {
        screen = text == "modern"    ? UIScreen::Metrics::modern()
                 : text == "classic" ? UIScreen::Metrics::classic()
                                     : UIScreen::Metrics::tablet();
        screen.scale = scale;
        return true;
    }
    const auto x = text.find('x');
    double width = 0;
    double height = 0;
    if (x == std::string::npos || !parseNumber(text.substr(0, x), 200, 2000, width) ||
        !parseNumber(text.substr(x + 1), 300, 3000, height)) {
        return false;
    }
    // The size says whether it is a phone's or a tablet's screen, and so its safe areas.
    screen = UIScreen::Metrics::forSize({width, height});
    screen.scale = scale;
    return true;
}

} // namespace

std::optional<CommandLineOptions> parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLineOptions options;
    bool headless = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        const bool hasValue = index + 1 < arguments.size();
        if (argument == "--headless") {
            headless = true;
            options.forwarded.push_back(argument);
        } else if (argument == "--screenshot" && hasValue) {
            options.screenshot = arguments[++index];
        } else if (argument == "--screen" && hasValue) {
            if (!parseScreen(arguments[++index], options.screen)) {
                return std::nullopt;
            }
        } else if (argument == "--scale" && hasValue) {
            double scale = 0;
            if (!parseNumber(arguments[++index], 1, 4, scale)) {
                return std::nullopt;
            }
            options.screen.scale = scale;
        } else {
            return std::nullopt;
        }
    }
    if (options.screenshot && !headless) {
        return std::nullopt;
    }
    return options;
}
