#include "Startup/SettledScreenshot.h"

#include "Startup/KKdilemmaspectacularViewController.h"
#include "platform/Foundation/Log.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CAAnimation.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"

#include <memory>

namespace {

constexpr double kPollInterval = 0.05;
// The tab bar settles within a second of appearing (its first moves and its resizing).
constexpr double kQuietTime = 1.2;
constexpr double kGiveUpAfter = 30;

int& status() {
    static int value = 1;
    return value;
}

bool animating(const CALayer& layer, double now) {
    if (layer.hasRunningAnimationsAt(now)) {
        return true;
    }
    for (const auto& sublayer : layer.sublayers()) {
        if (animating(*sublayer, now)) {
            return true;
        }
    }
    return false;
}

bool showsMainInterface() {
    const auto window = UIWindow::keyWindow();
    return window && window->rootViewController() &&
           !std::dynamic_pointer_cast<KKdilemmaspectacularViewController>(window->rootViewController());
}

bool anythingAnimating() {
    const double now = CACurrentMediaTime();
    for (const auto& window : UIWindow::windows()) {
        if (animating(*window->layer(), now)) {
            return true;
        }
    }
    return false;
}

void write(HeadlessHost& host, const std::string& path) {
    host.renderFrame();
    if (host.writeScreenshot(path)) {
        status() = 0;
    } else {
        consoleLog("The screenshot could not be written to " + path);
    }
    RunLoop::main().stop();
}

// The watch draws a frame at every poll, as a display would, so that layout keeps up with
// the interface while nothing else draws.
struct Watch {
    std::string path;
    double started = 0;
    double quietSince = -1;
    HeadlessHost host;
};

void poll(const std::shared_ptr<Watch>& watch) {
    const double now = RunLoop::main().now();
    if (now - watch->started > kGiveUpAfter) {
        consoleLog("Launch did not settle in time; the screenshot shows the screen as it is");
        write(watch->host, watch->path);
        return;
    }
    watch->host.renderFrame();
    if (!showsMainInterface() || anythingAnimating()) {
        watch->quietSince = -1;
    } else if (watch->quietSince < 0) {
        watch->quietSince = now;
    } else if (now - watch->quietSince >= kQuietTime) {
        write(watch->host, watch->path);
        return;
    }
    RunLoop::main().post([watch] { poll(watch); }, kPollInterval);
}

} // namespace

void SettledScreenshot::schedule(const std::string& path) {
    auto watch = std::make_shared<Watch>();
    watch->path = path;
    watch->started = RunLoop::main().now();
    RunLoop::main().post([watch] { poll(watch); }, kPollInterval);
}

int SettledScreenshot::finishedStatus() {
    return status();
}
