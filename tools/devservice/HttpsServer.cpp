#include "tools/devservice/HttpsServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <climits>
#include <csignal>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace devservice {

namespace {

constexpr std::size_t kLongestRequestLine = 8192;

// Set by a request handler, read by the connection loop on the same thread (cpp-httplib
// runs a connection's requests on the thread that accepted it).
thread_local CloseNotice requestedCloseNotice = CloseNotice::none;
// Bytes of the answer still to be written before the connection is reset, when it is to be.
thread_local std::optional<std::size_t> resetBudget;

// Closing the socket then sends a reset instead of an orderly end.
void abortOnClose(socket_t sock) {
    const linger abort{1, 0};
    ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

int millisecondsOf(time_t seconds, time_t microseconds) {
    return static_cast<int>(seconds * 1000 + microseconds / 1000);
}

bool waitFor(socket_t sock, short events, int milliseconds) {
    pollfd item{sock, events, 0};
    return ::poll(&item, 1, milliseconds) > 0 && (item.revents & (events | POLLHUP | POLLERR)) != 0;
}

void addressOf(bool peer, socket_t sock, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int got = peer ? ::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length)
                         : ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    if (got != 0) {
        return;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        port = ntohs(in->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* in = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &in->sin6_addr, text, sizeof text);
        port = ntohs(in->sin6_port);
    }
    ip = text;
}

// One TLS connection as cpp-httplib's request processing reads and writes it.
class TlsStream final : public httplib::Stream {
  public:
    TlsStream(socket_t sock, SSL* ssl, int readMilliseconds, int writeMilliseconds)
        : sock_(sock), ssl_(ssl), readMilliseconds_(readMilliseconds), writeMilliseconds_(writeMilliseconds) {
    }

    // Bytes OpenSSL holds already (decrypted or not) are readable whatever the socket says.
    bool is_readable() const override {
        return SSL_has_pending(ssl_) == 1 || waitFor(sock_, POLLIN, readMilliseconds_);
    }
    bool is_writable() const override { return waitFor(sock_, POLLOUT, writeMilliseconds_); }

    ssize_t read(char* ptr, size_t size) override {
        const int wanted = static_cast<int>(std::min<size_t>(size, INT_MAX));
        while (true) {
            if (SSL_has_pending(ssl_) == 0 && !waitFor(sock_, POLLIN, readMilliseconds_)) {
                return -1;
            }
            const int n = SSL_read(ssl_, ptr, wanted);
            if (n > 0) {
                return n;
            }
            if (SSL_get_error(ssl_, n) != SSL_ERROR_WANT_READ) {
                return n == 0 ? 0 : -1;
            }
        }
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (requestedCloseNotice == CloseNotice::insteadOfAnswer || resetBudget == std::size_t{0}) {
            return -1; // the answer is never written, or no more of it
        }
        const int wanted =
            static_cast<int>(std::min<size_t>(resetBudget.value_or(size), std::min<size_t>(size, INT_MAX)));
        while (true) {
            if (!is_writable()) {
                return -1;
            }
            const int n = SSL_write(ssl_, ptr, wanted);
            if (n > 0) {
                if (resetBudget) {
                    *resetBudget -= static_cast<std::size_t>(n);
                }
                return n;
            }
            const int error = SSL_get_error(ssl_, n);
            if (error != SSL_ERROR_WANT_WRITE && error != SSL_ERROR_WANT_READ) {
                return -1;
            }
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        addressOf(true, sock_, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        addressOf(false, sock_, ip, port);
    }
    socket_t socket() const override { return sock_; }

  private:
    socket_t sock_;
    SSL* ssl_;
    int readMilliseconds_;
    int writeMilliseconds_;
};

// Hands one request to cpp-httplib with its request line's query marks escaped: reads the
// line first (cpp-httplib reads it byte by byte, so nothing of the request after it is
// taken early), then the rest of the request as it comes.
class RequestLineStream final : public httplib::Stream {
  public:
    explicit RequestLineStream(httplib::Stream& inner) : inner_(inner) {}

    bool is_readable() const override { return !line_.empty() || inner_.is_readable(); }
    bool is_writable() const override { return inner_.is_writable(); }

    ssize_t read(char* ptr, size_t size) override {
        if (!lineRead_) {
            lineRead_ = true;
            std::string raw;
            char byte = 0;
            while (raw.size() < kLongestRequestLine && raw.find('\n') == std::string::npos) {
                const auto n = inner_.read(&byte, 1);
                if (n <= 0) {
                    if (raw.empty()) {
                        return n;
                    }
                    break;
                }
                raw += byte;
            }
            line_ = raw.ends_with('\n') ? escapeQueryMarks(raw) : raw;
        }
        if (!line_.empty()) {
            const auto n = std::min(size, line_.size());
            line_.copy(ptr, n);
            line_.erase(0, n);
            return static_cast<ssize_t>(n);
        }
        return inner_.read(ptr, size);
    }

    ssize_t write(const char* ptr, size_t size) override { return inner_.write(ptr, size); }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        inner_.get_remote_ip_and_port(ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        inner_.get_local_ip_and_port(ip, port);
    }
    socket_t socket() const override { return inner_.socket(); }

  private:
    httplib::Stream& inner_;
    bool lineRead_ = false;
    std::string line_;
};

} // namespace

std::string escapeQueryMarks(std::string_view requestLine) {
    const auto targetStart = requestLine.find(' ');
    const auto targetEnd =
        targetStart == std::string_view::npos ? targetStart : requestLine.find(' ', targetStart + 1);
    if (targetEnd == std::string_view::npos) {
        return std::string(requestLine);
    }
    const auto query = requestLine.substr(0, targetEnd).find('?', targetStart);
    if (query == std::string_view::npos) {
        return std::string(requestLine);
    }
    std::string line(requestLine.substr(0, query + 1));
    for (const char c : requestLine.substr(query + 1, targetEnd - query - 1)) {
        line += c == '?' ? std::string("%3F") : std::string(1, c);
    }
    line += requestLine.substr(targetEnd);
    return line;
}

void HttpsServer::endWithCloseNotice(CloseNotice when) {
    requestedCloseNotice = when;
}

void HttpsServer::resetAfter(std::size_t bytes) {
    resetBudget = bytes;
}

void HttpsServer::dropConnections(const std::string& host, int count) {
    std::lock_guard lock(dropMutex_);
    dropHost_ = host;
    dropsLeft_ = count;
}

bool HttpsServer::takeDrop(const char* serverName) {
    std::lock_guard lock(dropMutex_);
    if (dropsLeft_ <= 0 || serverName == nullptr || dropHost_ != serverName) {
        return false;
    }
    --dropsLeft_;
    ++droppedConnections_;
    return true;
}

void HttpsServer::widenBacklog() {
    ::listen(svr_sock_, 256);
}

// As cpp-httplib's own: the TLS handshake, then requests one after another on the
// connection while it is kept alive, then an orderly close.
bool HttpsServer::process_and_close_socket(socket_t sock) {
    // Writing to a peer that has gone raises SIGPIPE in this thread: keep it pending
    // instead of ending the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    const int readMilliseconds = millisecondsOf(read_timeout_sec_, read_timeout_usec_);
    const int writeMilliseconds = millisecondsOf(write_timeout_sec_, write_timeout_usec_);
    timeval timeout{read_timeout_sec_, static_cast<suseconds_t>(read_timeout_usec_)};
    ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    timeout = {write_timeout_sec_, static_cast<suseconds_t>(write_timeout_usec_)};
    ::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);

    bool served = false;
    bool idle = false;
    bool closeNotice = false;
    bool reset = false;
    SSL* ssl = SSL_new(ssl_context());
    if (ssl != nullptr && SSL_set_fd(ssl, sock) == 1 && SSL_accept(ssl) == 1 &&
        takeDrop(SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name))) {
        reset = true;
    } else if (ssl != nullptr && SSL_is_init_finished(ssl) == 1) {
        TlsStream stream(sock, ssl, readMilliseconds, writeMilliseconds);
        const auto keepAlive = std::chrono::seconds(keep_alive_timeout_sec_);
        for (std::size_t count = keep_alive_max_count_; count > 0 && svr_sock_ != INVALID_SOCKET; --count) {
            // Wait for the next request in short steps, so that a stopping server is not held.
            const auto deadline = std::chrono::steady_clock::now() + keepAlive;
            bool ready = SSL_has_pending(ssl) == 1;
            while (!ready && svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < deadline) {
                ready = waitFor(sock, POLLIN, 50);
            }
            if (!ready) {
                // An idle connection ends with the bare TCP close: a client checks a pooled
                // connection by peeking at its socket, and a pending close_notify would
                // read as a live one, so its next request would go to a closed peer.
                idle = true;
                break;
            }
            RequestLineStream request(stream);
            bool closed = false;
            requestedCloseNotice = CloseNotice::none;
            resetBudget.reset();
            served =
                process_request(request, count == 1, closed, [ssl](httplib::Request& req) { req.ssl = ssl; });
            closeNotice = std::exchange(requestedCloseNotice, CloseNotice::none) != CloseNotice::none;
            reset = std::exchange(resetBudget, std::nullopt).has_value();
            if (reset || closeNotice || !served || closed) {
                break;
            }
        }
        // Counted before the close goes out: a client that sees its connection end (and
        // answers its caller) finds it counted already.
        if (closeNotice && !reset) {
            ++endedWithCloseNotice_;
        }
        if (!reset && (closeNotice || (served && !idle))) {
            SSL_shutdown(ssl);
        }
    }
    SSL_free(ssl);
    if (reset) {
        abortOnClose(sock);
        ::close(sock);
        return false;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
}

} // namespace devservice
