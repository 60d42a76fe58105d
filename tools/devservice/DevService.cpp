#include "tools/devservice/DevService.h"

#include "platform/Foundation/AtomicFile.h"
#include "tools/devservice/ApiService.h"
#include "tools/devservice/ByteRange.h"
#include "tools/devservice/CaptchaPages.h"
#include "tools/devservice/Catalogue.h"
#include "tools/devservice/CertificateAuthority.h"
#include "tools/devservice/ConnectionThreads.h"
#include "tools/devservice/DnsAnswer.h"
#include "tools/devservice/HttpsServer.h"
#include "tools/devservice/MediaFixtures.h"
#include "tools/devservice/SampleImages.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

using namespace devservice;

namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr std::size_t kLargestBody = 1 << 20;
constexpr double kLongestMediaWait = 180;
constexpr std::size_t kCachedImages = 512;
// The version in a fixture's folder name changes whenever its picture does, so that a
// media folder shared between runs makes it afresh.
constexpr const char* kVodFixture = "vod-v2";
constexpr const char* kShortFixture = "short-v2";
// Episodes long enough to resume in the middle and to skip an outro of (titles with
// "long_media").
constexpr const char* kLongFixture = "vod-long-v2";

double secondsSince1970() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::filesystem::path defaultCatalogueDir() {
    return ORVEX_DEVSERVICE_DATA;
}

// Splits "/a/b/c" into its components; none of them may be empty, "." or "..", or hold
// anything but letters, digits, "_", "-" and ".".
std::optional<std::vector<std::string>> safeComponents(std::string_view path) {
    std::vector<std::string> components;
    while (!path.empty()) {
        if (path.front() != '/') {
            return std::nullopt;
        }
        path.remove_prefix(1);
        const std::size_t end = path.find('/');
        const std::string_view component = path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end);
        const bool valid =
            !component.empty() && component.front() != '.' &&
            std::all_of(component.begin(), component.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
            });
        if (!valid) {
            return std::nullopt;
        }
        components.emplace_back(component);
    }
    return components;
}

std::optional<std::size_t> positiveNumber(const std::string& text, std::size_t largest) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const std::size_t value = std::stoul(text);
    return value >= 1 && value <= largest ? std::optional<std::size_t>(value) : std::nullopt;
}

std::string mediaType(const std::string& file) {
    if (file.ends_with(".m3u8")) {
        return "application/vnd.apple.mpegurl";
    }
    if (file.ends_with(".ts")) {
        return "video/mp2t";
    }
    return "application/octet-stream";
}

} // namespace

struct DevService::Running {
    explicit Running(Catalogue loaded) : catalogue(std::move(loaded)) {}

    Catalogue catalogue;
    std::unique_ptr<Accounts> accounts;
    std::unique_ptr<ApiService> api;
    TlsFiles tls;
    FaultTable faults;
    HoldGate heldRequests;
    RequestLog requestLog;
    StopSignal stopping;
    std::function<void(const std::string&)> log;
    std::filesystem::path mediaDir;
    int ports[2] = {0, 0};
    std::unique_ptr<HttpsServer> servers[2];
    std::thread listeners[2];

    enum class MediaState { making, ready, failed };
    mutable std::mutex mediaMutex;
    mutable std::condition_variable mediaChanged;
    MediaState mediaState = MediaState::making;
    bool mediaWaitsEnded = false; // the service is stopping
    std::thread mediaMaker;

    std::mutex imageMutex;
    std::map<std::string, std::string> images;

    // Queries the resolver answered, by the name they asked about.
    mutable std::mutex queryMutex;
    std::map<std::string, std::size_t> queriesByName;

    std::string origin() const {
        return "https://" + std::string(kMediaHost) + ":" + std::to_string(ports[0]);
    }
    // What the share poster's QR code leads to.
    std::string downloadPage() const { return origin() + "/down/"; }
    void say(const std::string& line) const {
        if (log) {
            log(line);
        }
    }

    void makeMedia();
    bool waitForMedia(double seconds) const;
    void serve(int service, const httplib::Request& request, httplib::Response& response);
    // Carries out the parts of a fault that answer in place of the service: true when the
    // response is made.
    bool applyFault(const std::optional<Fault>& fault, const std::string& path, httplib::Response& response);
    void serveApi(int service, const httplib::Request& request,
                  const std::optional<FormParameters>& parameters, bool samePage,
                  httplib::Response& response);
    void serveDns(const httplib::Request& request, httplib::Response& response);
    // The captcha provider's host: the widget and its tickets.
    void serveCaptchaProvider(const httplib::Request& request, httplib::Response& response);
    void serveMedia(const httplib::Request& request, const std::string& range, httplib::Response& response);
    void serveImage(const std::string& kind, const std::string& name, httplib::Response& response);
    // The share poster's code: a QR code of the service's download page.
    void serveQrCode(httplib::Response& response);
};

void DevService::Running::makeMedia() {
    std::string error;
    const bool made = mediafixtures::ensureHlsStream(mediaDir / kVodFixture, {2, 6, 2, 640, 360}, error) &&
                      mediafixtures::ensureHlsStream(mediaDir / kShortFixture, {1, 6, 2, 360, 640}, error) &&
                      mediafixtures::ensureHlsStream(mediaDir / kLongFixture, {1, 120, 4, 320, 180}, error);
    if (!made) {
        say("media could not be made: " + error);
    }
    {
        std::lock_guard lock(mediaMutex);
        mediaState = made ? MediaState::ready : MediaState::failed;
    }
    mediaChanged.notify_all();
}

bool DevService::Running::waitForMedia(double seconds) const {
    std::unique_lock lock(mediaMutex);
    mediaChanged.wait_for(lock, std::chrono::duration<double>(seconds),
                          [this] { return mediaState != MediaState::making || mediaWaitsEnded; });
    return mediaState == MediaState::ready;
}

namespace {

std::optional<FormParameters> readParameters(const httplib::Request& request) {
    if (request.method == "POST") {
        const std::string type = request.get_header_value("Content-Type");
        if (request.body.empty()) {
            return FormParameters();
        }
        return type.starts_with("application/x-www-form-urlencoded") ? parseFormText(request.body)
                                                                     : std::nullopt;
    }
    const std::size_t query = request.target.find('?');
    return query == std::string::npos ? FormParameters()
                                      : parseFormText(std::string_view(request.target).substr(query + 1));
}

} // namespace

void DevService::Running::serve(int service, const httplib::Request& request, httplib::Response& response) {
    // Ranges are answered here, with the bounds checked; the library must not apply them again.
    const std::string range = request.get_header_value("Range");
    const_cast<httplib::Request&>(request).ranges.clear();

    const auto parameters =
        request.path == "/dns-query" ? std::optional<FormParameters>() : readParameters(request);
    RecordedRequest record{
        ports[service - 1], request.method, request.path, {}, parameters.value_or(FormParameters())};
    record.headers.insert(request.headers.begin(), request.headers.end());
    requestLog.add(std::move(record));

    const auto fault = faults.take(request.path, parameters.value_or(FormParameters()));
    if (applyFault(fault, request.path, response)) {
        return;
    }
    const std::string& path = request.path;
    if (hostOfHostField(request.get_header_value("Host")) == kCaptchaHost) {
        serveCaptchaProvider(request, response);
    } else if (path.starts_with("/api/")) {
        serveApi(service, request, parameters, fault && fault->samePage, response);
    } else if (path == "/dns-query") {
        serveDns(request, response);
    } else if (path.starts_with("/media/")) {
        serveMedia(request, range, response);
    } else if (path == "/captcha") {
        const std::string widgetOrigin =
            "https://" + std::string(kCaptchaHost) + ":" + std::to_string(ports[service - 1]);
        response.set_content(captchaPage(widgetOrigin), "text/html; charset=utf-8");
    } else if (path == "/down/qrcode.png") {
        serveQrCode(response);
    } else if (const auto parts = safeComponents(path);
               parts && parts->size() == 3 && (*parts)[0] == "images" && (*parts)[2].ends_with(".png")) {
        serveImage((*parts)[1], (*parts)[2].substr(0, (*parts)[2].size() - 4), response);
    } else {
        response.status = 404;
        response.set_content("not found\n", "text/plain");
    }
}

bool DevService::Running::applyFault(const std::optional<Fault>& fault, const std::string& path,
                                     httplib::Response& response) {
    if (!fault) {
        return false;
    }
    say("fault for " + path);
    if (fault->closeNotice != CloseNotice::none) {
        HttpsServer::endWithCloseNotice(fault->closeNotice);
        if (fault->closeNotice == CloseNotice::insteadOfAnswer) {
            return true;
        }
    }
    if ((fault->delaySeconds > 0 && !stopping.sleep(fault->delaySeconds)) ||
        (fault->held && !heldRequests.wait(stopping))) {
        response.status = 503;
        return true;
    }
    if (fault->resetAfterBytes) {
        HttpsServer::resetAfter(*fault->resetAfterBytes);
        if (*fault->resetAfterBytes == 0) {
            return true;
        }
    }
    if (fault->dropConnection) {
        // A provider that fails at once makes the server close the connection before any
        // byte of the body: the client sees its transfer end early.
        response.set_chunked_content_provider("application/json",
                                              [](std::size_t, httplib::DataSink&) { return false; });
        return true;
    }
    if (fault->status || fault->rawBody) {
        response.status = fault->status.value_or(200);
        response.set_content(fault->rawBody.value_or(""), "application/json");
        return true;
    }
    return false;
}

void DevService::Running::serveApi(int service, const httplib::Request& request,
                                   const std::optional<FormParameters>& parameters, bool samePage,
                                   httplib::Response& response) {
    const ApiRequest call{service,
                          request.method,
                          request.path.substr(1),
                          parameters,
                          request.get_header_value("Authorization"),
                          origin(),
                          samePage};
    const HttpAnswer answer = api->handle(call);
    response.status = answer.status;
    response.set_content(answer.body, "application/json; charset=utf-8");
}

void DevService::Running::serveDns(const httplib::Request& request, httplib::Response& response) {
    std::optional<std::string> query;
    if (request.method == "POST") {
        if (request.get_header_value("Content-Type") == "application/dns-message") {
            query = request.body;
        }
    } else {
        const std::size_t start = request.target.find('?');
        const auto form = start == std::string::npos
                              ? std::nullopt
                              : parseFormText(std::string_view(request.target).substr(start + 1));
        if (form && form->count("dns") != 0) {
            query = decodeBase64Url(form->at("dns"));
        }
    }
    const auto answer = query ? answerDnsQuery(*query) : std::nullopt;
    if (const auto name = answer ? queriedName(*query) : std::nullopt) {
        std::lock_guard lock(queryMutex);
        ++queriesByName[*name];
    }
    if (!answer) {
        response.status = 400;
        response.set_content("malformed DNS query\n", "text/plain");
        return;
    }
    response.set_header("Cache-Control", "max-age=60");
    response.set_content(*answer, "application/dns-message");
}

void DevService::Running::serveCaptchaProvider(const httplib::Request& request, httplib::Response& response) {
    if (request.method == "GET" && request.path == "/widget/slider.js") {
        response.set_header("Cache-Control", "no-cache");
        response.set_content(captchaWidgetScript(), "text/javascript; charset=utf-8");
    } else if (request.method == "POST" && request.path == "/widget/verify") {
        // Tickets are handed to the pages of the sites the provider serves, and only there.
        const std::string origin = request.get_header_value("Origin");
        if (!mayUseCaptcha(origin)) {
            response.status = 403;
            response.set_content("{\"ret\":1}", "application/json");
            return;
        }
        response.set_header("Access-Control-Allow-Origin", origin);
        response.set_header("Vary", "Origin");
        response.set_content(ticketAnswer(accounts->issueCaptcha()), "application/json");
    } else {
        response.status = 404;
        response.set_content("not found\n", "text/plain");
    }
}

void DevService::Running::serveMedia(const httplib::Request& request, const std::string& range,
                                     httplib::Response& response) {
    const auto parts =
        safeComponents(std::string_view(request.path).substr(std::string_view("/media").size()));
    const auto refuse = [&](int status, const std::string& why) {
        response.status = status;
        response.set_content(why + "\n", "text/plain");
    };
    if (!parts || parts->size() < 3) {
        return refuse(404, "not found");
    }
    std::filesystem::path file;
    std::size_t fileStart = 0;
    if ((*parts)[0] == "short") {
        if (!positiveNumber((*parts)[1], catalogue.shortVideoCount())) {
            return refuse(404, "not found");
        }
        file = mediaDir / kShortFixture;
        fileStart = 2;
    } else {
        const Title* title = parts->size() >= 4 ? catalogue.title((*parts)[1]) : nullptr;
        const PlaySource* source = catalogue.source((*parts)[0]);
        if (title == nullptr || source == nullptr || !positiveNumber((*parts)[2], title->episodes.size()) ||
            std::find(title->sources.begin(), title->sources.end(), source->type) == title->sources.end()) {
            return refuse(404, "not found");
        }
        for (const auto& [name, value] : source->requiredHeaders()) {
            if (request.get_header_value(name) != value) {
                return refuse(403, "this media needs the request headers of its parse answer (" + name + ")");
            }
        }
        file = mediaDir / (title->longMedia ? kLongFixture : kVodFixture);
        fileStart = 3;
    }
    for (std::size_t i = fileStart; i < parts->size(); ++i) {
        file /= (*parts)[i];
    }
    if (!waitForMedia(kLongestMediaWait)) {
        return refuse(503, "media is not available");
    }
    const auto body = readWholeFile(file);
    if (!body || std::filesystem::is_directory(file)) {
        return refuse(404, "not found");
    }
    const std::string type = mediaType(file.filename().string());
    response.set_header("Accept-Ranges", "bytes");
    const RangeAnswer wanted = resolveRange(range, body->size());
    switch (wanted.kind) {
    case RangeAnswer::Kind::whole:
        response.set_content(*body, type);
        break;
    case RangeAnswer::Kind::partial:
        response.status = 206;
        response.set_header("Content-Range", "bytes " + std::to_string(wanted.first) + "-" +
                                                 std::to_string(wanted.last) + "/" +
                                                 std::to_string(body->size()));
        response.set_content(body->substr(wanted.first, wanted.last - wanted.first + 1), type);
        break;
    case RangeAnswer::Kind::unsatisfiable:
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(body->size()));
        break;
    }
}

void DevService::Running::serveImage(const std::string& kind, const std::string& name,
                                     httplib::Response& response) {
    const std::string key = kind + "/" + name;
    std::optional<std::string> png;
    {
        std::lock_guard lock(imageMutex);
        const auto found = images.find(key);
        if (found != images.end()) {
            png = found->second;
        }
    }
    if (!png) {
        png = renderSampleImage(kind, name);
        if (png) {
            std::lock_guard lock(imageMutex);
            if (images.size() >= kCachedImages) {
                images.clear(); // any name is a picture: keep the memory bounded
            }
            images.emplace(key, *png);
        }
    }
    if (!png) {
        response.status = 404;
        response.set_content("not found\n", "text/plain");
        return;
    }
    response.set_header("Cache-Control", "max-age=86400");
    response.set_content(*png, "image/png");
}

void DevService::Running::serveQrCode(httplib::Response& response) {
    const auto png = renderQrCode(downloadPage());
    if (!png) {
        response.status = 500;
        response.set_content("no code\n", "text/plain");
        return;
    }
    response.set_header("Cache-Control", "max-age=86400");
    response.set_content(*png, "image/png");
}

DevService::DevService(Options options) : options_(std::move(options)) {}

DevService::~DevService() {
    stop();
}

bool DevService::start() {
    if (running_) {
        return true;
    }
    lastError_.clear();
    std::error_code failure;
    std::filesystem::create_directories(options_.dataDir, failure);
    if (options_.dataDir.empty() || failure) {
        lastError_ = "cannot use the data folder " + options_.dataDir.string();
        return false;
    }
    const auto catalogueDir = options_.catalogueDir.empty() ? defaultCatalogueDir() : options_.catalogueDir;
    auto catalogue = Catalogue::load(catalogueDir, lastError_);
    if (!catalogue) {
        lastError_ = "catalogue in " + catalogueDir.string() + ": " + lastError_;
        return false;
    }
    auto running = std::make_unique<Running>(std::move(*catalogue));
    running->log = options_.log;
    running->mediaDir = options_.mediaDir.empty() ? options_.dataDir / "media" : options_.mediaDir;
    Running* self = running.get();
    running->accounts =
        std::make_unique<Accounts>(options_.dataDir / "users.json", secondsSince1970,
                                   [self](const std::string& number, const std::string& code) {
                                       self->say("SMS code for " + number + ": " + code);
                                   });
    if (!running->accounts->load(lastError_)) {
        return false;
    }
    running->api =
        std::make_unique<ApiService>(running->catalogue, *running->accounts,
                                     ApiService::Options{options_.timestampWindow, secondsSince1970});
    const ServerIdentity identity{
        {"api.orvex.test", "dns.orvex.test", std::string(kMediaHost), std::string(kCaptchaHost), "localhost"},
        kLoopback};
    if (!ensureTlsFiles(options_.dataDir / "tls", identity, running->tls, lastError_)) {
        return false;
    }

    const int wantedPorts[2] = {options_.port1, options_.port2};
    for (int i = 0; i < 2; ++i) {
        auto server = std::make_unique<HttpsServer>(running->tls.serverCertificate.c_str(),
                                                    running->tls.serverKey.c_str());
        if (!server->is_valid()) {
            lastError_ = "cannot load the server certificate " + running->tls.serverCertificate.string();
            return false;
        }
        server->new_task_queue = [] { return new ConnectionThreads; };
        server->set_payload_max_length(kLargestBody);
        // stop() waits for every connection, an idle keep-alive one too: keep the idle time
        // short and let a busy connection serve many requests.
        server->set_keep_alive_timeout(options_.keepAliveSeconds);
        server->set_keep_alive_max_count(1000);
        // Small answers must leave at once rather than wait for the peer's delayed ACK.
        server->set_tcp_nodelay(true);
        const int service = i + 1;
        const auto handler = [self, service](const httplib::Request& request, httplib::Response& response) {
            self->serve(service, request, response);
        };
        server->Get(".*", handler);
        server->Post(".*", handler);
        const int port = wantedPorts[i] == 0
                             ? server->bind_to_any_port(kLoopback)
                             : (server->bind_to_port(kLoopback, wantedPorts[i]) ? wantedPorts[i] : -1);
        if (port <= 0) {
            lastError_ = "cannot listen on " + std::string(kLoopback) + ":" + std::to_string(wantedPorts[i]);
            for (int j = 0; j < i; ++j) {
                running->servers[j]->stop();
                running->listeners[j].join();
            }
            return false;
        }
        server->widenBacklog();
        running->ports[i] = port;
        running->servers[i] = std::move(server);
        running->listeners[i] =
            std::thread([server = running->servers[i].get()] { server->listen_after_bind(); });
        // stop() only ends a server that has started its loop.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!running->servers[i]->is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!running->servers[i]->is_running()) {
            lastError_ = "the server on port " + std::to_string(port) + " did not start";
            for (int j = 0; j <= i; ++j) {
                running->servers[j]->stop();
                running->listeners[j].join();
            }
            return false;
        }
    }
    running->mediaMaker = std::thread([self] { self->makeMedia(); });
    running_ = std::move(running);
    return true;
}

void DevService::stop() {
    if (!running_) {
        return;
    }
    running_->stopping.raise();
    {
        std::lock_guard lock(running_->mediaMutex);
        running_->mediaWaitsEnded = true;
    }
    running_->mediaChanged.notify_all();
    for (int i = 0; i < 2; ++i) {
        running_->servers[i]->stop();
        running_->listeners[i].join();
    }
    running_->mediaMaker.join();
    running_.reset();
}

int DevService::port1() const {
    return running_ ? running_->ports[0] : 0;
}

int DevService::port2() const {
    return running_ ? running_->ports[1] : 0;
}

std::filesystem::path DevService::caFile() const {
    return options_.dataDir / "tls" / "ca.pem";
}

std::string DevService::origin() const {
    return running_ ? running_->origin() : std::string();
}

void DevService::writeClientConfiguration(const std::filesystem::path& serviceJson) const {
    const Json configuration = {
        {"baseURL1", "https://api.orvex.test:" + std::to_string(port1()) + "/"},
        {"baseURL2", "https://api.orvex.test:" + std::to_string(port2()) + "/"},
        {"dohURL", "https://dns.orvex.test:" + std::to_string(port1()) + "/dns-query"},
        {"dohAddress", kLoopback},
        {"caFile", std::filesystem::absolute(caFile()).string()},
    };
    std::error_code ignored;
    if (serviceJson.has_parent_path()) {
        std::filesystem::create_directories(serviceJson.parent_path(), ignored);
    }
    writeFileAtomically(serviceJson, configuration.dump(2) + "\n");
}

std::size_t DevService::resolverQueries(const std::string& name) const {
    if (!running_) {
        return 0;
    }
    std::lock_guard lock(running_->queryMutex);
    const auto found = running_->queriesByName.find(name);
    return found == running_->queriesByName.end() ? 0 : found->second;
}

std::vector<RecordedRequest> DevService::requests() const {
    return running_ ? running_->requestLog.all() : std::vector<RecordedRequest>();
}

void DevService::clearRequests() {
    if (running_) {
        running_->requestLog.clear();
    }
}

void DevService::setFault(const std::string& pathPattern, const Fault& fault) {
    if (running_) {
        if (fault.held) {
            running_->heldRequests.close();
        }
        running_->faults.set(pathPattern, fault);
    }
}

int DevService::connectionsEndedWithCloseNotice() const {
    return running_ ? running_->servers[0]->connectionsEndedWithCloseNotice() +
                          running_->servers[1]->connectionsEndedWithCloseNotice()
                    : 0;
}

void DevService::dropMediaConnections(int count) {
    if (running_) {
        running_->servers[0]->dropConnections(std::string(kMediaHost), count);
    }
}

int DevService::droppedConnections() const {
    return running_ ? running_->servers[0]->droppedConnections() : 0;
}

void DevService::clearFault(const std::string& pathPattern) {
    if (running_) {
        running_->faults.clear(pathPattern);
        running_->heldRequests.open();
    }
}

void DevService::clearFaults() {
    if (running_) {
        running_->faults.clearAll();
        running_->heldRequests.open();
    }
}

void DevService::releaseHeldRequests() {
    if (running_) {
        running_->heldRequests.open();
    }
}

void DevService::expireToken(const std::string& token) {
    if (running_) {
        running_->accounts->expireToken(token);
    }
}

std::optional<std::string> DevService::lastSmsCode(const std::string& number) const {
    return running_ ? running_->accounts->lastCode(number) : std::nullopt;
}

CaptchaTicket DevService::solveCaptcha() {
    return running_ ? running_->accounts->issueCaptcha() : CaptchaTicket{};
}

bool DevService::waitForMedia(double seconds) const {
    return running_ && running_->waitForMedia(seconds);
}
