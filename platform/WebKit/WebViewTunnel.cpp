#include "platform/WebKit/WebViewTunnel.h"

#include "platform/Foundation/Log.h"
#include "platform/WebKit/TunnelRelay.h"
#include "platform/WebKit/TunnelUpstream.h"

#include <curl/curl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using tunnelrelay::Wait;

namespace {

// A request's header arrives whole within this time (the engine sends it at once), so
// that a connection that only holds a slot soon gives it back.
constexpr int kHeaderTimeoutMs = 5000;
constexpr int kSendTimeoutMs = 30000;
constexpr std::size_t kLargestHeader = 8192;
// Requests a connection may make before one is served (a client that learns of the
// credentials from a 407 asks again on the same connection).
constexpr int kAttemptsPerConnection = 4;
// The engine opens a handful of connections a host. When this many are open, a new one
// takes the place of the one that has waited longest for a header that has not arrived
// whole; when every one has its header (being answered, or carrying a tunnel), it is
// refused.
constexpr std::size_t kMostConnections = 64;

std::string hexOf(const unsigned char* bytes, std::size_t size) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string base64(const std::string& text) {
    std::string encoded(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    encoded.resize(static_cast<std::size_t>(std::max(length, 0)));
    return encoded;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

struct ProxyRequest {
    std::string method;
    std::string target;
    std::string authorization;
};

ProxyRequest parseRequest(const std::string& header) {
    ProxyRequest request;
    const auto lineEnd = header.find("\r\n");
    const std::string line = header.substr(0, lineEnd);
    const auto methodEnd = line.find(' ');
    const auto targetEnd = methodEnd == std::string::npos ? std::string::npos : line.find(' ', methodEnd + 1);
    if (targetEnd == std::string::npos) {
        return request;
    }
    request.method = line.substr(0, methodEnd);
    request.target = line.substr(methodEnd + 1, targetEnd - methodEnd - 1);
    std::size_t start = lineEnd + 2;
    while (start < header.size()) {
        const auto end = header.find("\r\n", start);
        const std::string field = header.substr(start, end - start);
        start = end == std::string::npos ? header.size() : end + 2;
        const auto colon = field.find(':');
        if (colon != std::string::npos && lowered(field.substr(0, colon)) == "proxy-authorization") {
            request.authorization = trimmed(field.substr(colon + 1));
        }
    }
    return request;
}

bool sendAll(int fd, const std::string& text, int stopFd) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (tunnelrelay::waitFor(fd, POLLOUT, stopFd, kSendTimeoutMs) != Wait::ready) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// The bytes of a connection's next header so far: `read` (taken from the socket already)
// followed by what the socket holds, up to the largest header. Nothing when the peer has
// closed or the socket failed.
std::optional<std::string> headerSoFar(int fd, const std::string& read) {
    std::string bytes = read;
    bytes.resize(std::max(read.size(), kLargestHeader));
    const ssize_t peeked =
        ::recv(fd, bytes.data() + read.size(), bytes.size() - read.size(), MSG_PEEK | MSG_DONTWAIT);
    if (peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        return std::nullopt;
    }
    bytes.resize(read.size() + static_cast<std::size_t>(std::max<ssize_t>(peeked, 0)));
    return bytes;
}

// The length of the header that starts `bytes`, its empty line included; npos while it
// has not ended.
std::size_t headerLength(const std::string& bytes) {
    const auto end = bytes.find("\r\n\r\n");
    return end == std::string::npos ? end : end + 4;
}

std::string answer(const std::string& status, const std::string& extraFields, const std::string& body = {}) {
    return "HTTP/1.1 " + status + "\r\n" + extraFields +
           "Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

} // namespace

struct WebViewTunnel::Shared {
    // curl stays set up while peers are opened.
    Shared() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    int listener = -1;
    // Readable once the tunnel stops; never read, so every waiter sees it.
    int stopFd = -1;
    std::atomic<bool> stopping = false;
    int port = 0;
    std::string secret;
    std::string expectedAuthorization;
    tunnelrelay::ServerContext context;

    // One connection and the thread that serves it; guarded by `mutex`.
    struct Worker {
        int client = -1; // closed (and -1) once the thread is done with it
        // A whole header has arrived: it is being answered, or its tunnel opened or relayed.
        bool answering = false;
        bool evicted = false;
        std::chrono::steady_clock::time_point waitingSince; // for its next header
        std::string header; // the bytes of its next header taken from the socket so far
        std::thread thread;
    };
    // What a look at a connection's socket found.
    struct Taken {
        bool open = true;                    // false: closed, failed, evicted or too long
        std::optional<std::string> header{}; // a header that has arrived whole
    };
    std::mutex mutex;
    std::vector<std::unique_ptr<Worker>> workers;
    std::thread acceptor;

    ~Shared() {
        if (listener >= 0) {
            ::close(listener);
        }
        if (stopFd >= 0) {
            ::close(stopFd);
        }
        curl_global_cleanup();
    }

    bool authorized(const std::string& authorization) const {
        return authorization.size() == expectedAuthorization.size() &&
               CRYPTO_memcmp(authorization.data(), expectedAuthorization.data(), authorization.size()) == 0;
    }

    void acceptConnections();
    // Shuts down, among the open connections whose header has not arrived whole (taken,
    // or waiting in the socket), the one that has waited longest; false when there is
    // none. Called with `mutex` held.
    bool evictLongestWaiting();
    void serve(Worker& worker, int client);
    // The next request's header, once it has arrived whole; nothing when the peer closed,
    // the time for it passed, the connection was evicted or the tunnel stops.
    std::optional<std::string> readHeader(Worker& worker, int client);
    // Takes what the socket holds of the next header, and nothing after it; a header
    // that has arrived whole marks the worker as answering in the same hold of the lock.
    Taken takeHeader(Worker& worker, int client);
    void markWaitingForHeader(Worker& worker);
};

void WebViewTunnel::Shared::acceptConnections() {
    for (;;) {
        if (tunnelrelay::waitFor(listener, POLLIN, stopFd, -1) != Wait::ready) {
            return;
        }
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        std::lock_guard lock(mutex);
        std::erase_if(workers, [](const std::unique_ptr<Worker>& worker) {
            if (worker->client >= 0) {
                return false;
            }
            worker->thread.join();
            return true;
        });
        const auto open =
            std::count_if(workers.begin(), workers.end(),
                          [](const std::unique_ptr<Worker>& worker) { return !worker->evicted; });
        if (static_cast<std::size_t>(open) >= kMostConnections && !evictLongestWaiting()) {
            ::close(client);
            continue;
        }
        auto worker = std::make_unique<Worker>();
        worker->client = client;
        worker->waitingSince = std::chrono::steady_clock::now();
        Worker* served = worker.get();
        worker->thread = std::thread([this, served, client] {
            serve(*served, client);
            std::lock_guard done(mutex);
            ::close(served->client);
            served->client = -1;
        });
        workers.push_back(std::move(worker));
    }
}

bool WebViewTunnel::Shared::evictLongestWaiting() {
    std::vector<Worker*> waiting;
    for (const auto& worker : workers) {
        if (worker->client >= 0 && !worker->answering && !worker->evicted) {
            waiting.push_back(worker.get());
        }
    }
    std::sort(waiting.begin(), waiting.end(),
              [](const Worker* a, const Worker* b) { return a->waitingSince < b->waitingSince; });
    for (Worker* worker : waiting) {
        // A header that has arrived whole is answered once its thread takes it.
        const auto bytes = headerSoFar(worker->client, worker->header);
        if (bytes && headerLength(*bytes) != std::string::npos) {
            continue;
        }
        // Its thread sees the end of the stream and lets go of the socket.
        ::shutdown(worker->client, SHUT_RDWR);
        worker->evicted = true;
        return true;
    }
    return false;
}

void WebViewTunnel::Shared::markWaitingForHeader(Worker& worker) {
    std::lock_guard lock(mutex);
    worker.answering = false;
    worker.waitingSince = std::chrono::steady_clock::now();
}

WebViewTunnel::Shared::Taken WebViewTunnel::Shared::takeHeader(Worker& worker, int client) {
    std::lock_guard lock(mutex);
    if (worker.evicted) {
        return {false};
    }
    const auto bytes = headerSoFar(client, worker.header);
    if (!bytes) {
        return {false};
    }
    const std::size_t length = std::min(headerLength(*bytes), bytes->size());
    const std::size_t wanted = length - worker.header.size();
    std::string discarded(wanted, '\0');
    if (wanted > 0 &&
        ::recv(client, discarded.data(), wanted, MSG_DONTWAIT) != static_cast<ssize_t>(wanted)) {
        return {false};
    }
    worker.header = bytes->substr(0, length);
    if (headerLength(worker.header) == std::string::npos) {
        return {worker.header.size() < kLargestHeader};
    }
    worker.answering = true;
    return {true, std::exchange(worker.header, {})};
}

std::optional<std::string> WebViewTunnel::Shared::readHeader(Worker& worker, int client) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHeaderTimeoutMs);
    for (;;) {
        Taken taken = takeHeader(worker, client);
        if (!taken.open || taken.header) {
            return std::move(taken.header);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0 ||
            tunnelrelay::waitFor(client, POLLIN, stopFd, static_cast<int>(left)) != Wait::ready) {
            return std::nullopt;
        }
    }
}

void WebViewTunnel::Shared::serve(Worker& worker, int client) {
    for (int attempt = 0; attempt < kAttemptsPerConnection; ++attempt) {
        const auto header = readHeader(worker, client);
        if (!header) {
            return;
        }
        const ProxyRequest request = parseRequest(*header);
        if (!authorized(request.authorization)) {
            // Nothing is said about what lies behind: only how to authenticate.
            if (!sendAll(client,
                         answer("407 Proxy Authentication Required",
                                "Proxy-Authenticate: Basic realm=\"orvex-webview\"\r\n"),
                         stopFd)) {
                return;
            }
            markWaitingForHeader(worker);
            continue;
        }
        if (request.method != "CONNECT" || !isTunnelAuthority(request.target)) {
            consoleLog("web view: the tunnel refused " + request.method + " " + request.target +
                       " (only https peers are reached)");
            sendAll(client,
                    answer("403 Forbidden", "Connection: close\r\n", "only https peers are reached\n"),
                    stopFd);
            return;
        }
        std::string error;
        const auto upstream = TunnelUpstream::open(request.target, stopping, error);
        if (!upstream) {
            // The engine would show an answer to its CONNECT as the document it asked for:
            // a peer that cannot be reached ends the connection instead, so that the load
            // fails as it does without a proxy.
            if (!stopping) {
                consoleLog("web view: " + request.target + " could not be reached: " + error);
            }
            return;
        }
        if (sendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n", stopFd)) {
            tunnelrelay::relay(client, context.get(), *upstream, stopFd);
        }
        return;
    }
}

std::unique_ptr<WebViewTunnel> WebViewTunnel::start(std::string& error) {
    auto shared = std::make_unique<Shared>();
    shared->context = tunnelrelay::makeServerContext(error);
    if (!shared->context) {
        return nullptr;
    }
    unsigned char bytes[32];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        error = "no random secret for the tunnel";
        return nullptr;
    }
    shared->secret = hexOf(bytes, sizeof bytes);
    shared->expectedAuthorization = "Basic " + base64(user() + ":" + shared->secret);
    shared->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    shared->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (shared->stopFd < 0 || shared->listener < 0 ||
        ::bind(shared->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(shared->listener, SOMAXCONN) != 0 ||
        ::getsockname(shared->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = std::string("the tunnel cannot listen: ") + std::strerror(errno);
        return nullptr;
    }
    shared->port = ntohs(address.sin_port);
    Shared* self = shared.get();
    shared->acceptor = std::thread([self] { self->acceptConnections(); });
    return std::unique_ptr<WebViewTunnel>(new WebViewTunnel(std::move(shared)));
}

WebViewTunnel::WebViewTunnel(std::unique_ptr<Shared> shared) : shared_(std::move(shared)) {}

WebViewTunnel::~WebViewTunnel() {
    shared_->stopping = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(shared_->stopFd, &one, sizeof one);
    shared_->acceptor.join();
    // No worker starts any more; each takes the lock once as it ends.
    std::vector<std::unique_ptr<Shared::Worker>> workers;
    {
        std::lock_guard lock(shared_->mutex);
        workers.swap(shared_->workers);
    }
    for (auto& worker : workers) {
        worker->thread.join();
    }
}

int WebViewTunnel::port() const {
    return shared_->port;
}

const std::string& WebViewTunnel::user() {
    static const std::string name = "orvex-webview";
    return name;
}

const std::string& WebViewTunnel::secret() const {
    return shared_->secret;
}
