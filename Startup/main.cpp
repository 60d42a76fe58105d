// The process entry: reads the options of the window (CommandLine.h), prepares the
// application and hands control to the platform's main loop with AppDelegate.
// --screenshot writes a PNG of the screen once launch has settled and ends the program.
// Proxies named in the environment are ignored (ProxyEnvironment.h).

#include "Startup/AppDelegate.h"
#include "Startup/ApplicationSetup.h"
#include "Startup/CommandLine.h"
#include "Startup/ProxyEnvironment.h"
#include "Startup/SettledScreenshot.h"
#include "platform/UIKit/UIScreen.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    ignoreProxyEnvironment();
    const auto options = parseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (!options) {
        std::fprintf(stderr, "usage: %s %s\n", argc > 0 ? argv[0] : "orvex", kCommandLineUsage);
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
