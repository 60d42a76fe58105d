#pragma once

#include "tools/devservice/DevService.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace devservicetest {

// A plain HTTPS client on libcurl for talking to the development service from tests:
// it trusts only the given CA file and resolves the service's names to 127.0.0.1.
struct Reply {
    int curlCode = 0; // CURLE_OK when the transfer worked
    long status = 0;
    std::string body;
    std::map<std::string, std::string> headers; // lower-case names

    std::string header(const std::string& lowerCaseName) const {
        const auto found = headers.find(lowerCaseName);
        return found == headers.end() ? std::string() : found->second;
    }
};

struct RequestOptions {
    std::string method = "GET";
    std::string body;
    std::vector<std::string> headers; // "Name: value"
    std::vector<std::string> resolve; // CURLOPT_RESOLVE entries
    std::string dohUrl;               // resolve through DNS-over-HTTPS instead
    std::string caFile;               // empty: the system store
};

Reply fetch(const std::string& url, const RequestOptions& options);

// Form text of the parameters, each value percent-encoded.
std::string formText(const std::map<std::string, std::string>& parameters);

// The parameters as the application sends them: with "timestamp" and "sign".
std::map<std::string, std::string> signedParameters(std::map<std::string, std::string> parameters);

// A running service in a fresh folder, and signed API calls against it.
class ServiceFixture {
  public:
    ServiceFixture();
    ~ServiceFixture();

    DevService& service() { return *service_; }
    std::vector<std::string> resolveEntries() const;
    std::string apiUrl(const std::string& path, int base = 1) const;

    // Sends the API request the way the application does and answers the reply.
    Reply call(const std::string& method, const std::string& path,
               const std::map<std::string, std::string>& parameters, const std::string& token = "",
               int base = 1);
    // The envelope of a reply; its "data" decrypted and parsed into "payload" when it is
    // not empty.
    nlohmann::ordered_json envelope(const Reply& reply) const;
    // call() + envelope().
    nlohmann::ordered_json api(const std::string& method, const std::string& path,
                               const std::map<std::string, std::string>& parameters = {},
                               const std::string& token = "", int base = 1);

    std::vector<std::string> logLines() const;

  private:
    std::unique_ptr<DevService> service_;
    mutable std::mutex logMutex_;
    std::vector<std::string> logLines_;
};

// A DNS query message with one question (class IN).
std::string dnsQuery(const std::string& name, std::uint16_t type, std::uint16_t id = 0x1234,
                     std::uint16_t flags = 0x0100);

} // namespace devservicetest
