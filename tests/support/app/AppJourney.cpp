#include "tests/support/app/AppJourney.h"

#include "MainController/Home/Helpers/HomeTabs.h"
#include "Startup/AppDelegate.h"
#include "Startup/ApplicationSetup.h"
#include "Startup/KKdilemmaspectacularViewController.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplogConsole.h"
#include "app/Network/ServiceConfiguration.h"
#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/JSON.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "tests/support/TestSupport.h"

#include <dlfcn.h>
#include <netdb.h>

#include <cstdlib>

namespace testsupport::app {
namespace {

std::filesystem::path galleryDir() {
    if (const char* chosen = std::getenv("ORVEX_GALLERY_DIR"); chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    const char* build = std::getenv("ORVEX_BUILD_DIR");
    return (build != nullptr ? std::filesystem::path(build) : testsupport::dataRoot()) / "artefacts" /
           "gallery";
}

// Counts every notice of the sample catalogue as shown.
void markCatalogueNoticesShown() {
    const auto text = readWholeFile(std::filesystem::path(ORVEX_CATALOGUE_DIR) / "notices.json");
    ASSERT_TRUE(text.has_value()) << "the sample catalogue's notices";
    for (const auto& notice : JSON::parse(*text).arrayValue()) {
        UserDefaults::standard().setBool(noticeShownKey(notice["create_time"].stringValue()), true);
    }
}

} // namespace

void AppJourneyTest::SetUp() {
    console_.emplace();
    // Tests play media without a sound device.
    MediaEngineSettings::setAudioOutputEnabled(false);
    // Before anything reads the screen: the theme and the screen sizes are taken from it
    // once.
    UIScreen::configureMainScreen(screen);
    setUpApplication();
    testsupport::useVirtualClock();
    serviceOptions_.dataDir = testsupport::freshFolder("devservice");
    serviceOptions_.mediaDir = testsupport::sharedMediaDir();
    configureService(serviceOptions_);
    startServiceOn(serviceOptions_.port1, serviceOptions_.port2);
    ASSERT_FALSE(HasFatalFailure());
    service_->writeClientConfiguration(ServiceConfiguration::file());
    ServiceConfiguration::setCurrent(ServiceConfiguration::load());
    // The one-time set-up handed the engines the authority of the configuration before this
    // test's service existed; they trust this service's instead.
    MediaEngineSettings::setCertificateAuthorityFile(ServiceConfiguration::current().caFile);
    if (!showsServiceNotices) {
        markCatalogueNoticesShown();
    }
    beforeLaunch();
    launch();
}

std::vector<std::string> AppJourneyTest::consoleLines() const {
    if (!console_) {
        return {};
    }
    KKriplogConsole::waitUntilWritten();
    return console_->lines();
}

void AppJourneyTest::TearDown() {
    quit();
    if (service_) {
        service_->stop();
    }
    console_.reset();
}

void AppJourneyTest::startServiceOn(int port1, int port2) {
    serviceOptions_.port1 = port1;
    serviceOptions_.port2 = port2;
    service_ = std::make_unique<DevService>(serviceOptions_);
    ASSERT_TRUE(service_->start()) << service_->lastError();
}

bool AppJourneyTest::systemResolverKnows(const std::string& host) {
    // The entry after the process's own: the C library's.
    using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    const auto system = reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
    addrinfo* list = nullptr;
    if (system == nullptr || system(host.c_str(), nullptr, nullptr, &list) != 0) {
        return false;
    }
    freeaddrinfo(list);
    return true;
}

void AppJourneyTest::stopService() {
    serviceOptions_.port1 = service_->port1();
    serviceOptions_.port2 = service_->port2();
    service_->stop();
}

void AppJourneyTest::startService() {
    service_->stop();
    startServiceOn(serviceOptions_.port1, serviceOptions_.port2);
}

void AppJourneyTest::launch() {
    delegate_ = std::make_shared<AppDelegate>();
    auto& application = *UIApplication::sharedApplication();
    application.setDelegate(delegate_);
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    delegate_->window = window_;
    delegate_->didFinishLaunchingWithOptions(application, {});
    window_->makeKeyAndVisible();
    UIWindowDidBecomeVisible(*window_);
    application.hostStateChanged(UIApplicationState::active);
    driver_.emplace(window_);
    driver_->runLoop();
    const auto splash =
        std::dynamic_pointer_cast<KKdilemmaspectacularViewController>(window_->rootViewController());
    ASSERT_NE(splash, nullptr) << "the launch shows the splash first";
    splash->kknickelcharacteristic();
    ASSERT_NE(mainInterface(), nullptr) << "the splash hands over to the main interface";
    playFrames(0.5);
}

void AppJourneyTest::quit() {
    if (!window_) {
        return;
    }
    QMUITips::hideAllTips();
    UIApplication::sharedApplication()->setDelegate(nullptr);
    delegate_.reset();
    window_->setRootViewController(nullptr);
    window_.reset();
    driver_.reset();
    RunLoop::main().advance(5);
    RunLoop::main().runPending();
}

void AppJourneyTest::relaunch() {
    quit();
    launch();
}

std::vector<devservice::RecordedRequest> AppJourneyTest::apiRequests(const std::string& path) const {
    std::vector<devservice::RecordedRequest> found;
    for (auto& request : service_->requests()) {
        if (request.path != "/dns-query" && (path.empty() || request.path == path)) {
            found.push_back(std::move(request));
        }
    }
    return found;
}

std::shared_ptr<TabbarController> AppJourneyTest::mainInterface() const {
    return window_ ? std::dynamic_pointer_cast<TabbarController>(window_->rootViewController()) : nullptr;
}

std::shared_ptr<UIViewController> AppJourneyTest::topPage() const {
    return KKpresentationdisease::getCurrentVC();
}

void AppJourneyTest::selectTab(int index) {
    const auto bar = mainInterface()->tabBar();
    const CGRect frame = driver_->frameInWindow(bar);
    const CGFloat width = frame.size.width / 4;
    driver_->tap(CGPoint{frame.origin.x + width * (index + 0.5), frame.origin.y + 24});
    playFrames(1);
}

bool AppJourneyTest::waitFor(const std::function<bool()>& done, double realSeconds) {
    constexpr double step = 0.01;
    for (double waited = 0; waited < realSeconds; waited += step) {
        if (RunLoop::main().runUntil(done, step)) {
            driver_->runLoop();
            return true;
        }
        driver_->advance(1.0 / 60);
    }
    return done();
}

bool AppJourneyTest::waitForText(const std::string& text, double realSeconds) {
    return waitFor([&] { return driver_->findByText(text) != nullptr; }, realSeconds);
}

void AppJourneyTest::playFrames(double seconds) {
    constexpr double frame = 1.0 / 60;
    for (double played = 0; played < seconds; played += frame) {
        driver_->advance(frame);
    }
}

void AppJourneyTest::gallery(const std::string& name) {
    const auto folder = galleryDir();
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(driver_->writeScreenshot((folder / (name + ".png")).string())) << name;
}

} // namespace testsupport::app
