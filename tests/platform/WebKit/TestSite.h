#pragma once

#include <httplib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An https site for web view tests: host names of the "orvex.test" zone on one port of
// 127.0.0.1, each with pages of its own, behind a certificate (of an authority of the
// site's own) that covers the names it is given, and a DNS-over-HTTPS resolver that answers
// every name of the zone. `useForProcess()` makes the process trust the site's authority
// and resolve names only through its resolver, as the application does with its service.
class TestSite {
  public:
    struct Request {
        std::string host;
        std::string method;
        std::string path;
        std::string origin;             // the Origin field
        std::string proxyAuthorization; // the Proxy-Authorization field
    };

    TestSite(const std::filesystem::path& folder, std::vector<std::string> certifiedNames);
    ~TestSite();

    bool start(std::string& error);
    void stop();
    int port() const { return port_; }
    void useForProcess() const;

    // "https://<host>:<port>" and "https://<host>:<port>/<path>".
    std::string origin(const std::string& host) const;
    std::string url(const std::string& host, const std::string& path) const;
    // Serves `body` at `path` ("/frame.html") of `host`, with the extra fields given (and
    // the status of a ":status" field, 200 without).
    void page(const std::string& host, const std::string& path, const std::string& contentType,
              const std::string& body, const std::multimap<std::string, std::string>& fields = {});

    std::vector<Request> requests() const;
    std::size_t requestCount(const std::string& host, const std::string& path) const;

  private:
    struct Page {
        std::string contentType;
        std::string body;
        std::multimap<std::string, std::string> fields;
    };
    void serve(const httplib::Request& request, httplib::Response& response);

    std::filesystem::path folder_;
    std::vector<std::string> names_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread listener_;
    int port_ = 0;
    std::filesystem::path caFile_;
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_; // by "host/path"
    std::vector<Request> requests_;
};
