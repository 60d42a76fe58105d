#pragma once

#include "app/Network/KKriplog.h"
#include "tests/support/ConsoleCapture.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace networktest {

// What a completion received.
struct Answer {
    std::optional<JSON> json;
    std::optional<NSError> error;
    int calls = 0;
};

using testsupport::ConsoleCapture;

// The development service on loopback with the client set up as at launch: its base URLs,
// its DNS-over-HTTPS resolver and its certificate authority, nothing stored under
// "login", no tips showing, a virtual clock (timestamps read 1800000000).
class ServiceTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Adjusts the service's options before it starts.
    virtual void configure(DevService::Options&) {}

    DevService& service() { return *service_; }

    // Runs the main loop until the completion handed to `send` has been called.
    Answer await(const std::function<void(KKriplog::Completion)>& send);

    // Requests the service received, the resolver's queries left out.
    std::vector<devservice::RecordedRequest> apiRequests() const;
    std::vector<devservice::RecordedRequest> dnsRequests() const;

    // Answers every request for `path` with `body` (HTTP 200) until cleared.
    void answer(const std::string& path, const std::string& body, int status = 200);

    // Signs in a new tourist through the service and stores it under "login"; answers
    // the stored user object.
    JSON storeTourist();
    void storeLogin(const std::string& text);

    std::unique_ptr<DevService> service_;
};

// "{"code":..,"message":..,"data":..}" with `data` as given (a JSON value's text).
std::string envelope(std::int64_t code, const std::string& message, const std::string& dataJSON = "\"\"");

} // namespace networktest
