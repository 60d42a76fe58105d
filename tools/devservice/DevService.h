#pragma once

#include "tools/devservice/Accounts.h"
#include "tools/devservice/ServiceHooks.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The local development service: speaks the application's HTTP API on two HTTPS ports
// of 127.0.0.1 (base URLs 1 and 2), with its own test certificate authority, a
// DNS-over-HTTPS resolver for the "orvex.test" names, a sample catalogue read from data
// files, generated pictures, HLS media made with ffmpeg and a captcha page. Used in
// process by tests and as the executable orvex-devservice.
class DevService {
  public:
    struct Options {
        std::filesystem::path dataDir; // certificate authority, users, media; created when missing
        int port1 = 0;                 // 0: a free port chosen by the system
        int port2 = 0;
        std::filesystem::path catalogueDir;               // empty: the data files beside the sources
        std::filesystem::path mediaDir;                   // empty: <dataDir>/media; may be shared by services
        double timestampWindow = 0;                       // seconds; 0 accepts any well-formed "timestamp"
        int keepAliveSeconds = 1;                         // how long an idle connection is kept
        std::function<void(const std::string& line)> log; // service log lines (SMS codes, faults)
    };

    explicit DevService(Options options);
    ~DevService();
    DevService(const DevService&) = delete;
    DevService& operator=(const DevService&) = delete;

    // Loads the catalogue and users, makes the certificates and starts listening on both
    // ports (answers false, with the reason in lastError(), when any of that fails). The
    // HLS media is made in the background; media requests wait for it.
    bool start();
    // Stops listening and waits for the service's threads. Safe to call twice.
    void stop();
    const std::string& lastError() const { return lastError_; }

    int port1() const;
    int port2() const;
    std::filesystem::path caFile() const;
    // "https://media.orvex.test:<port1>": the origin of picture and media addresses, on a
    // name that only the service's resolver knows.
    std::string origin() const;
    // Writes the application's service.json for this service: both base URLs and the
    // DNS-over-HTTPS URL on "orvex.test" names, the DoH address 127.0.0.1, the CA file.
    void writeClientConfiguration(const std::filesystem::path& serviceJson) const;

    // Test hooks.
    // How many queries for `name` (lower case, no trailing dot) the resolver has answered.
    std::size_t resolverQueries(const std::string& name) const;
    std::vector<devservice::RecordedRequest> requests() const;
    void clearRequests();
    void setFault(const std::string& pathPattern, const devservice::Fault& fault);
    void clearFault(const std::string& pathPattern);
    // Connections ended by a fault's close notice so far, on both ports.
    int connectionsEndedWithCloseNotice() const;
    void clearFaults();
    // The next `count` connections to the media host ("media.orvex.test") are reset right
    // after their TLS handshake, before a request is read, as a loaded server drops
    // connection attempts; `droppedConnections` counts those dropped so far.
    void dropMediaConnections(int count);
    int droppedConnections() const;
    // Lets through the requests that `held` faults are holding, and those they hit later
    // (clearing faults does too).
    void releaseHeldRequests();
    // The next request with this token answers "login expired" (70001).
    void expireToken(const std::string& token);
    // The last SMS code sent to a number.
    std::optional<std::string> lastSmsCode(const std::string& number) const;
    // A captcha ticket as the captcha page hands one out.
    devservice::CaptchaTicket solveCaptcha();
    // Waits (up to the given real time) until the HLS media is ready; false when making
    // it failed or took longer.
    bool waitForMedia(double seconds) const;

  private:
    struct Running;
    Options options_;
    std::string lastError_;
    std::unique_ptr<Running> running_;
};
