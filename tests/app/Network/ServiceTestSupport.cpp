#include "tests/app/Network/ServiceTestSupport.h"

#include "app/Network/KKriplogConsole.h"
#include "app/Network/ServiceConfiguration.h"
#include "app/Network/appLink.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "tests/support/TestSupport.h"

#include <algorithm>

namespace networktest {

void ServiceTest::SetUp() {
    testsupport::useVirtualClock();
    DevService::Options options;
    options.dataDir = testsupport::freshFolder("devservice");
    options.mediaDir = testsupport::sharedMediaDir();
    configure(options);
    service_ = std::make_unique<DevService>(options);
    ASSERT_TRUE(service_->start()) << service_->lastError();
    service_->writeClientConfiguration(ServiceConfiguration::file());
    ServiceConfiguration::setCurrent(ServiceConfiguration::load());
    {
        // Launch's probe finds nothing (its public host is unknown to the service's
        // resolver); it ends before the test begins so that its lines stay out of it.
        ConsoleCapture console;
        std::make_shared<appLink>()->allLinkInAppDoH();
        ASSERT_TRUE(console.waitFor("waiting or failed"));
    }
    UserDefaults::standard().removeObject("login");
    QMUITips::hideAllTips();
}

void ServiceTest::TearDown() {
    // The client's console lines go out before the next test, never into its capture.
    KKriplogConsole::waitUntilWritten();
    service_->stop();
    QMUITips::hideAllTips();
}

Answer ServiceTest::await(const std::function<void(KKriplog::Completion)>& send) {
    Answer answer;
    send([&answer](std::optional<JSON> json, std::optional<NSError> error) {
        answer.json = std::move(json);
        answer.error = std::move(error);
        ++answer.calls;
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return answer.calls > 0; }, 60));
    return answer;
}

std::vector<devservice::RecordedRequest> ServiceTest::apiRequests() const {
    std::vector<devservice::RecordedRequest> requests;
    for (auto& request : service_->requests()) {
        if (request.path != "/dns-query") {
            requests.push_back(std::move(request));
        }
    }
    return requests;
}

std::vector<devservice::RecordedRequest> ServiceTest::dnsRequests() const {
    std::vector<devservice::RecordedRequest> requests;
    for (auto& request : service_->requests()) {
        if (request.path == "/dns-query") {
            requests.push_back(std::move(request));
        }
    }
    return requests;
}

void ServiceTest::answer(const std::string& path, const std::string& body, int status) {
    devservice::Fault fault;
    fault.status = status;
    fault.rawBody = body;
    service_->setFault(path, fault);
}

JSON ServiceTest::storeTourist() {
    const Answer signedIn = await([](auto done) { apiClient.touristLogin("0", done); });
    EXPECT_FALSE(signedIn.error.has_value());
    const JSON user = signedIn.json.value_or(JSON());
    storeLogin(user.rawString());
    return user;
}

void ServiceTest::storeLogin(const std::string& text) {
    UserDefaults::standard().setString("login", text);
}

std::string envelope(std::int64_t code, const std::string& message, const std::string& dataJSON) {
    return "{\"code\":" + std::to_string(code) + ",\"message\":" + JSON(JSON::Storage(message)).rawString() +
           ",\"data\":" + dataJSON + "}";
}

} // namespace networktest
