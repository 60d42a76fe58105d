#pragma once

#include "tools/devservice/Accounts.h"
#include "tools/devservice/Catalogue.h"
#include "tools/devservice/FormEncoding.h"

#include <functional>
#include <optional>
#include <string>

namespace devservice {

// One API request as the HTTP layer hands it over.
struct ApiRequest {
    int service = 1;                          // 1 or 2: which of the two base URLs it came in on
    std::string method;                       // "GET" or "POST"
    std::string path;                         // "api/indexList"
    std::optional<FormParameters> parameters; // none when the query or form was malformed
    std::string authorization;                // the "Authorization" header
    std::string origin;                       // "https://media.orvex.test:<port>" for addresses in payloads
    bool samePage = false;                    // a paged feed answers its first items again
};

struct HttpAnswer {
    int status = 200;
    std::string body; // JSON envelope
};

// The service's HTTP API: checks the method, the form, "timestamp", "sign" and the bearer
// token, runs the endpoint and answers the envelope {"code", "message", "data"} with the
// payload encrypted the way the application decrypts it.
class ApiService {
  public:
    struct Options {
        // Largest accepted distance between "timestamp" and the service's clock, in seconds;
        // 0 accepts any well-formed timestamp (the application's tests run on virtual time).
        double timestampWindow = 0;
        std::function<double()> now;
    };

    ApiService(const Catalogue& catalogue, Accounts& accounts, Options options);

    HttpAnswer handle(const ApiRequest& request) const;

  private:
    const Catalogue& catalogue_;
    Accounts& accounts_;
    const Options options_;
};

// The envelope texts, shared with tests of the HTTP layer.
std::string envelope(int code, const std::string& message, const std::string& data);

} // namespace devservice
