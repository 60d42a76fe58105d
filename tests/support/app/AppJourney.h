#pragma once

#include "Startup/AppDelegate.h"
#include "Startup/TabbarController.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/ConsoleCapture.h"
#include "tests/support/ui/UIDriver.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport::app {

// A journey through the real application: the development service runs on loopback with
// a fresh data folder, the client is configured for it (its base URLs, its DNS-over-HTTPS
// resolver, its certificate authority), and the application is launched in the headless
// host exactly as the process entry does, up to the main interface. Tests then drive it
// with the UI driver as a person would. The main run loop runs on a virtual clock.
//
// Each test runs in a process of its own (CTest), so the data root, the user defaults
// and the records start empty.
class AppJourneyTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Called before the service starts; override to change its options.
    virtual void configureService(DevService::Options&) {}
    // Called after the client is configured and before the launch (store user defaults,
    // records or a service.json of the test's own here).
    virtual void beforeLaunch() {}

    // The home page alerts the service's newest notice once per notice. Journeys start
    // with the sample catalogue's notices counted as shown, so that no alert covers what
    // they drive, unless they set this (in their constructor) to meet the alert.
    bool showsServiceNotices = false;
    // The screen the application runs on: a phone's unless a journey sets another (in its
    // constructor), for example UIScreen::Metrics::tablet().
    UIScreen::Metrics screen = UIScreen::Metrics::modern();

    // Launches the application and hands over from the splash to the main interface.
    void launch();
    // Ends the running application as the end of its process would, leaving its data.
    void quit();
    // quit() then launch(): a second launch on the same data root.
    void relaunch();

    DevService& service() { return *service_; }
    // Whether the system's own resolver (not the application's) finds `host`.
    static bool systemResolverKnows(const std::string& host);
    // Stops the service (requests then fail to connect); startService() brings it back on
    // the same ports with the same data.
    void stopService();
    void startService();

    // Requests the service received for `path` ("/api/indexList"; every path when empty),
    // the resolver's queries left out, oldest first.
    std::vector<devservice::RecordedRequest> apiRequests(const std::string& path = "") const;

    // The application's console lines so far: every line it has handed to its console
    // writer, which writes them on a thread of its own (seconds late on a busy machine).
    std::vector<std::string> consoleLines() const;

    testsupport::ui::UIDriver& ui() { return *driver_; }
    const std::shared_ptr<UIWindow>& window() const { return window_; }
    std::shared_ptr<TabbarController> mainInterface() const;
    // The page a person sees: presented pages, the selected tab, the top of a navigation
    // stack (the application's own getCurrentVC()).
    std::shared_ptr<UIViewController> topPage() const;
    template <class Page> std::shared_ptr<Page> topPageAs() const {
        return std::dynamic_pointer_cast<Page>(topPage());
    }
    // Selects tab `index` by tapping it in the tab bar, then lets its page appear.
    void selectTab(int index);

    // Waits in real time (network, decoding) while the virtual clock moves on one display
    // frame for every real 10 ms waited, so that animations and short delays complete
    // meanwhile. Answers whether `done` became true before `realSeconds`.
    bool waitFor(const std::function<bool()>& done, double realSeconds = 20);
    // Waits until a visible view shows `text` (a label's text or a control's title).
    bool waitForText(const std::string& text, double realSeconds = 20);
    // Moves the virtual clock as a display would, laying out at every 60th of a second.
    void playFrames(double seconds);

    // Writes a picture of the screen as one state of the gallery: into $ORVEX_GALLERY_DIR
    // when set (tools/screenshots.sh), otherwise into "<build folder>/artefacts/gallery".
    // `name` says what the picture shows ("home-recommend-loaded").
    void gallery(const std::string& name);

  private:
    void startServiceOn(int port1, int port2);

    // The application's console lines are held back until the test ends, so that a failing
    // test's output begins with its failures.
    std::optional<ConsoleCapture> console_;
    DevService::Options serviceOptions_;
    std::unique_ptr<DevService> service_;
    std::shared_ptr<AppDelegate> delegate_;
    std::shared_ptr<UIWindow> window_;
    std::optional<testsupport::ui::UIDriver> driver_;
};

} // namespace testsupport::app
