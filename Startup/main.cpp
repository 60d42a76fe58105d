// The process entry: reads the options of the phone-shaped window, prepares the
// application and hands control to the platform's main loop with AppDelegate.
//
//   orvex [--headless [--screenshot FILE]] [--screen WIDTHxHEIGHT|modern|classic] [--scale N]
//
// --screenshot writes a PNG of the screen once launch has settled and ends the program.

#include "Startup/AppDelegate.h"
#include "Startup/ApplicationSetup.h"
#include "Startup/SettledScreenshot.h"
#include "platform/UIKit/UIScreen.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
    UIScreen::Metrics screen = UIScreen::Metrics::modern();
    std::optional<std::string> screenshot;
    // What the platform's main loop reads itself.
    std::vector<std::string> forwarded;
};

bool parseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0';
}

bool parseScreen(const std::string& text, UIScreen::Metrics& screen) {
    if (text == "modern" || text == "classic") {
        const double scale = screen.scale;
        screen = text == "modern" ? UIScreen::Metrics::modern() : UIScreen::Metrics::classic();
        screen.scale = scale;
        return true;
    }
    const auto x = text.find('x');
    double width = 0;
    double height = 0;
    if (x == std::string::npos || !parseNumber(text.substr(0, x), width) ||
        !parseNumber(text.substr(x + 1), height) || width < 200 || height < 300 || width > 2000 ||
        height > 3000) {
        return false;
    }
    // Tall screens have the notch's status bar and a home indicator area.
    const bool tall = height >= 812;
    screen.size = {width, height};
    screen.statusBarHeight = tall ? 47 : 20;
    screen.bottomSafeAreaHeight = tall ? 34 : 0;
    return true;
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    bool headless = false;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        const bool hasValue = index + 1 < argc;
        if (argument == "--headless") {
            headless = true;
            options.forwarded.push_back(argument);
        } else if (argument == "--screenshot" && hasValue) {
            options.screenshot = argv[++index];
        } else if (argument == "--screen" && hasValue) {
            if (!parseScreen(argv[++index], options.screen)) {
                return std::nullopt;
            }
        } else if (argument == "--scale" && hasValue) {
            double scale = 0;
            if (!parseNumber(argv[++index], scale) || scale < 1 || scale > 4) {
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

} // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(
            stderr,
            "usage: %s [--headless [--screenshot FILE]] [--screen WIDTHxHEIGHT|modern|classic] [--scale N]\n",
            argc > 0 ? argv[0] : "orvex");
        return 2;
    }
    UIScreen::configureMainScreen(options->screen);
    setUpApplication();
    if (options->screenshot) {
        SettledScreenshot::schedule(*options->screenshot);
    }

    std::vector<std::string> arguments{argc > 0 ? argv[0] : "orvex"};
    arguments.insert(arguments.end(), options->forwarded.begin(), options->forwarded.end());
    std::vector<char*> pointers;
    for (auto& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const int status = UIApplicationMain(static_cast<int>(arguments.size()), pointers.data(),
                                         [] { return std::make_shared<AppDelegate>(); });
    // The interface goes with its delegate now, while everything it uses is still there.
    UIApplication::sharedApplication()->setDelegate(nullptr);
    return options->screenshot ? SettledScreenshot::finishedStatus() : status;
}
