#include "tests/support/SlotHolders.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

SlotHolder::SlotHolder(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SlotHolder::~SlotHolder() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void SlotHolder::send(std::string_view bytes) {
    [[maybe_unused]] const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

bool SlotHolder::awaitDelivered(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    // What is not acknowledged yet; the server's side acknowledges bytes once they are in
    // its socket.
    int pending = 0;
    while (::ioctl(fd_, SIOCOUTQ, &pending) == 0 && pending > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pending == 0;
}

void SlotHolder::endSending() {
    ::shutdown(fd_, SHUT_WR);
}

std::string SlotHolder::receive(double seconds, std::string_view until) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::string received;
    while (until.empty() || received.find(until) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        pollfd item{fd_, POLLIN, 0};
        if (left <= 0 || ::poll(&item, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        char buffer[4096];
        const auto n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

bool SlotHolder::closedByServer() {
    for (;;) {
        char buffer[1024];
        const auto received = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (received > 0) {
            continue;
        }
        return received == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    }
}

SlowClientsClosed watchSlowClients(int port, double limitSeconds) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    SlotHolder silent(port);
    SlotHolder trickling(port);
    // Never ends: a head is at most a few KiB and a byte goes every 100 ms.
    const std::string head = "GET /" + std::string(16384, 'a');
    SlowClientsClosed closed;
    for (std::size_t sent = 0; !(closed.silent && closed.trickling); ++sent) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (!closed.silent && silent.closedByServer()) {
            closed.silent = elapsed;
        }
        if (!closed.trickling && trickling.closedByServer()) {
            closed.trickling = elapsed;
        }
        if (elapsed > limitSeconds) {
            break;
        }
        if (!closed.trickling) {
            trickling.send(std::string_view(head).substr(sent % head.size(), 1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return closed;
}

} // namespace testsupport
