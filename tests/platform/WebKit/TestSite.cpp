#include "tests/platform/WebKit/TestSite.h"

#include "platform/Network/NWParameters.h"
#include "platform/Network/NetworkPolicy.h"
#include "tools/devservice/CertificateAuthority.h"
#include "tools/devservice/DnsAnswer.h"
#include "tools/devservice/FormEncoding.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

// "Page.orvex.test:8443" -> "page.orvex.test"
std::string hostOf(const std::string& hostField) {
    std::string host = hostField.substr(0, hostField.rfind(':'));
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}

} // namespace

TestSite::TestSite(const std::filesystem::path& folder, std::vector<std::string> certifiedNames)
    : folder_(folder), names_(std::move(certifiedNames)) {
    names_.push_back("dns.orvex.test");
}

TestSite::~TestSite() {
    stop();
}

bool TestSite::start(std::string& error) {
    devservice::TlsFiles files;
    if (!devservice::ensureTlsFiles(folder_ / "tls", devservice::ServerIdentity{names_, "127.0.0.1"}, files,
                                    error)) {
        return false;
    }
    caFile_ = files.caCertificate;
    server_ = std::make_unique<httplib::SSLServer>(files.serverCertificate.c_str(), files.serverKey.c_str());
    if (!server_->is_valid()) {
        error = "the site's certificate does not load";
        return false;
    }
    server_->new_task_queue = [] { return new httplib::ThreadPool(24); };
    server_->set_keep_alive_timeout(1);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        serve(request, response);
    };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        error = "the site cannot listen";
        return false;
    }
    listener_ = std::thread([this] { server_->listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_->is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return server_->is_running();
}

void TestSite::stop() {
    if (listener_.joinable()) {
        server_->stop();
        listener_.join();
    }
}

void TestSite::useForProcess() const {
    NetworkPolicy::setCertificateAuthorityFile(caFile_);
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
        true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                  url("dns.orvex.test", "/dns-query"), {NWEndpoint::hostPort("127.0.0.1", port_)}));
}

std::string TestSite::origin(const std::string& host) const {
    return "https://" + host + ":" + std::to_string(port_);
}

std::string TestSite::url(const std::string& host, const std::string& path) const {
    return origin(host) + (path.starts_with('/') ? path : "/" + path);
}

void TestSite::page(const std::string& host, const std::string& path, const std::string& contentType,
                    const std::string& body, const std::multimap<std::string, std::string>& fields) {
    std::lock_guard lock(mutex_);
    pages_[host + path] = Page{contentType, body, fields};
}

std::vector<TestSite::Request> TestSite::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t TestSite::requestCount(const std::string& host, const std::string& path) const {
    std::size_t count = 0;
    for (const auto& request : requests()) {
        count += request.host == host && request.path == path ? 1 : 0;
    }
    return count;
}

void TestSite::serve(const httplib::Request& request, httplib::Response& response) {
    if (request.path == "/dns-query") {
        std::optional<std::string> query;
        if (request.method == "POST") {
            query = request.body;
        } else if (request.has_param("dns")) {
            query = devservice::decodeBase64Url(request.get_param_value("dns"));
        }
        const auto answer = query ? devservice::answerDnsQuery(*query) : std::nullopt;
        response.status = answer ? 200 : 400;
        response.set_content(answer.value_or(""), "application/dns-message");
        return;
    }
    const std::string host = hostOf(request.get_header_value("Host"));
    std::lock_guard lock(mutex_);
    requests_.push_back(Request{host, request.method, request.path, request.get_header_value("Origin"),
                                request.get_header_value("Proxy-Authorization")});
    const auto found = pages_.find(host + request.path);
    if (found == pages_.end()) {
        response.status = 404;
        return;
    }
    for (const auto& [name, value] : found->second.fields) {
        if (name == ":status") {
            response.status = std::stoi(value);
        } else {
            response.set_header(name, value);
        }
    }
    response.set_content(found->second.body, found->second.contentType);
}
