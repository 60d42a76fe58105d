#include "platform/SJMediaCacheServer/http/LoopbackHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mcs::http {

namespace {

// Whether a whole request head (or a bad one, answered with an error) is there for a
// connection: `received` (what its thread has read) followed by what the socket holds.
bool headArrived(int socket, const std::string& received) {
    std::string bytes = received;
    const std::size_t read = bytes.size();
    bytes.resize(std::max(read, kMaxRequestHead + 1));
    const auto peeked = ::recv(socket, bytes.data() + read, bytes.size() - read, MSG_PEEK | MSG_DONTWAIT);
    bytes.resize(read + static_cast<std::size_t>(std::max<ssize_t>(peeked, 0)));
    HttpRequest request;
    std::size_t consumed = 0;
    return parseRequestHead(bytes, request, consumed) != ParseStatus::Incomplete;
}

} // namespace

bool ResponseWriter::sendAll(const char* data, std::size_t size) {
    while (size > 0) {
        const auto sent = ::send(socket_, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            close_ = true;
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool ResponseWriter::sendHead(int status, const std::vector<std::pair<std::string, std::string>>& fields,
                              bool closeAfter) {
    if (closeAfter) {
        close_ = true;
    }
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
    for (const auto& [name, value] : fields) {
        head += name + ": " + value + "\r\n";
    }
    if (close_) {
        head += "Connection: close\r\n";
    }
    head += "\r\n";
    return sendAll(head.data(), head.size());
}

bool ResponseWriter::sendBody(const void* data, std::size_t size) {
    return sendAll(static_cast<const char*>(data), size);
}

bool ResponseWriter::sendFile(int fd, off_t offset, std::size_t count) {
    while (count > 0) {
        const auto sent = ::sendfile(socket_, fd, &offset, count);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            close_ = true;
            return false;
        }
        if (sent == 0) {
            close_ = true; // the file is shorter than announced
            return false;
        }
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool ResponseWriter::respond(int status, const std::vector<std::pair<std::string, std::string>>& fields,
                             std::string_view body, bool closeAfter) {
    auto all = fields;
    all.emplace_back("Content-Length", std::to_string(body.size()));
    if (!sendHead(status, all, closeAfter)) {
        return false;
    }
    return headRequest_ || sendBody(body.data(), body.size());
}

void ResponseWriter::resetConnection() {
    const linger abort{1, 0}; // closing then sends a reset
    ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close_ = true;
}

bool ResponseWriter::respondError(int status) {
    return respond(status, {}, {}, true);
}

bool ResponseWriter::peerGone() const {
    pollfd item{socket_, POLLIN | POLLRDHUP, 0};
    if (::poll(&item, 1, 0) <= 0) {
        return false;
    }
    if ((item.revents & (POLLHUP | POLLERR | POLLRDHUP)) != 0) {
        return true;
    }
    if ((item.revents & POLLIN) != 0) {
        char byte;
        const auto peeked = ::recv(socket_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        return peeked == 0;
    }
    return false;
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop();
}

bool LoopbackHttpServer::start(Handler handler, std::uint16_t port) {
    if (listener_ >= 0) {
        return true;
    }
    handler_ = std::move(handler);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 128) != 0 ||
        ::pipe2(wakePipe_, O_CLOEXEC) != 0) {
        ::close(fd);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listener_ = fd;
    stopping_ = false;
    acceptThread_ = std::thread([this] { acceptLoop(); });
    return true;
}

void LoopbackHttpServer::stop() {
    if (listener_ < 0) {
        return;
    }
    stopping_ = true;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(wakePipe_[1], &byte, 1);
    acceptThread_.join();
    {
        std::unique_lock lock(mutex_);
        for (const auto& [connection, state] : connections_) {
            ::shutdown(connection, SHUT_RDWR);
        }
        drained_.wait(lock, [&] { return activeThreads_ == 0; });
    }
    ::close(listener_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    listener_ = -1;
    wakePipe_[0] = wakePipe_[1] = -1;
}

void LoopbackHttpServer::acceptLoop() {
    while (!stopping_) {
        pollfd items[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(items, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((items[1].revents & POLLIN) != 0) {
            return;
        }
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) {
            continue;
        }
        const int yes = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        std::lock_guard lock(mutex_);
        if (liveConnections_ >= options_.maxConnections && !evictLongestWaiting()) {
            ::close(socket); // every slot has a request to answer: refuse rather than queue
            continue;
        }
        connections_[socket].waitingSince = Clock::now();
        ++liveConnections_;
        ++activeThreads_;
        std::thread([this, socket] {
            serveConnection(socket);
            std::lock_guard done(mutex_);
            const auto found = connections_.find(socket);
            if (!found->second.evicted) {
                --liveConnections_;
            }
            connections_.erase(found);
            ::close(socket);
            --activeThreads_;
            drained_.notify_all();
        }).detach();
    }
}

bool LoopbackHttpServer::evictLongestWaiting() {
    std::vector<std::map<int, Connection>::iterator> waiting;
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (!it->second.answering && !it->second.evicted) {
            waiting.push_back(it);
        }
    }
    std::sort(waiting.begin(), waiting.end(),
              [](const auto& a, const auto& b) { return a->second.waitingSince < b->second.waitingSince; });
    for (const auto& it : waiting) {
        // A head that has arrived whole is answered once its thread takes it.
        if (headArrived(it->first, it->second.received)) {
            continue;
        }
        // Its thread sees the end of the stream and lets go of the socket.
        ::shutdown(it->first, SHUT_RDWR);
        it->second.evicted = true;
        --liveConnections_;
        return true;
    }
    return false;
}

void LoopbackHttpServer::endAnswering(int socket) {
    std::lock_guard lock(mutex_);
    auto& connection = connections_.at(socket);
    connection.answering = false;
    connection.waitingSince = Clock::now();
}

LoopbackHttpServer::Taken LoopbackHttpServer::takeHead(int socket, bool readSocket, HttpRequest& request) {
    std::lock_guard lock(mutex_);
    auto& connection = connections_.at(socket);
    if (connection.evicted) {
        return {false};
    }
    if (readSocket) {
        char chunk[4096];
        const auto received = ::recv(socket, chunk, sizeof chunk, MSG_DONTWAIT);
        if (received == 0 || (received < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return {false};
        }
        if (received > 0) {
            connection.received.append(chunk, static_cast<std::size_t>(received));
        }
    }
    Taken taken{true, !connection.received.empty()};
    std::size_t consumed = 0;
    taken.status = parseRequestHead(connection.received, request, consumed);
    if (taken.status != ParseStatus::Incomplete) {
        connection.answering = true;
        connection.received.erase(0, consumed);
    }
    return taken;
}

std::optional<ParseStatus> LoopbackHttpServer::receiveHead(int socket, bool firstRequest,
                                                           HttpRequest& request) {
    const auto headTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options_.headTimeoutSeconds));
    const auto idleTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options_.idleTimeoutSeconds));
    // What came with the last request may hold the next one already.
    auto taken = takeHead(socket, false, request);
    // A new connection owes its head at once; a kept one may rest until its next request
    // starts, which must then arrive whole as quickly.
    bool headStarted = firstRequest || taken.started;
    auto deadline = Clock::now() + (headStarted ? headTime : idleTime);
    while (taken.open && taken.status == ParseStatus::Incomplete) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return std::nullopt;
        }
        pollfd item{socket, POLLIN, 0};
        const int ready = ::poll(&item, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || stopping_) {
            return std::nullopt;
        }
        if (ready == 0) {
            continue; // the deadline is checked above
        }
        taken = takeHead(socket, true, request);
        if (!headStarted && taken.started) {
            headStarted = true;
            deadline = Clock::now() + headTime;
        }
    }
    if (!taken.open) {
        return std::nullopt;
    }
    return taken.status;
}

void LoopbackHttpServer::serveConnection(int socket) {
    // sendfile() to a peer that has gone raises SIGPIPE in this thread; keep it pending
    // (and discarded with the thread) instead of ending the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (bool firstRequest = true; !stopping_; firstRequest = false) {
        HttpRequest request;
        const auto status = receiveHead(socket, firstRequest, request);
        if (!status) {
            return; // closed, too slow, evicted or shutting down
        }
        ResponseWriter writer(socket, request.method == "HEAD");
        if (*status == ParseStatus::TooLarge) {
            writer.respondError(431);
            return;
        }
        if (*status == ParseStatus::Invalid) {
            writer.respondError(400);
            return;
        }
        const auto contentLength = request.header("Content-Length");
        if (request.header("Transfer-Encoding") || (contentLength && trimWhitespace(*contentLength) != "0")) {
            writer.respondError(400); // no request carries a body here
            return;
        }
        if (!request.wantsKeepAlive()) {
            writer.requestClose();
        }
        handler_(request, writer);
        endAnswering(socket);
        if (writer.closeRequested()) {
            return;
        }
    }
}

} // namespace mcs::http
