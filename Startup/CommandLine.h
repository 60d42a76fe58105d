#pragma once

#include "platform/UIKit/UIScreen.h"

#include <optional>
#include <string>
#include <vector>

// The options of the process entry:
//
//   orvex [--headless [--screenshot FILE]] [--screen WIDTHxHEIGHT|modern|classic|tablet] [--scale N]
//
// --screen picks the screen: a named one, or a size in points, which is a tablet's when its
// shorter side has 600 points or more and a phone's otherwise (UIScreen::Metrics::forSize).
// --scale sets the pixels per point (1 to 4) of whichever screen is picked.
struct CommandLineOptions {
    UIScreen::Metrics screen = UIScreen::Metrics::modern();
    // Where --screenshot writes its PNG (headless only).
    std::optional<std::string> screenshot;
    // What the platform's main loop reads itself.
    std::vector<std::string> forwarded;
};

// Reads the arguments that follow the program's name; none when they are not understood.
std::optional<CommandLineOptions> parseCommandLine(const std::vector<std::string>& arguments);

inline constexpr const char* kCommandLineUsage =
    "[--headless [--screenshot FILE]] [--screen WIDTHxHEIGHT|modern|classic|tablet] [--scale N]";
