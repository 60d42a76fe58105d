#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Larger than any message either side sends (the largest is a load with its headers).
constexpr std::size_t maximumPacket = 64 * 1024;

} // namespace

PlaybinChannel::PlaybinChannel(int socket) : socket_(socket) {}

PlaybinChannel::~PlaybinChannel() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

bool PlaybinChannel::send(const nlohmann::json& message, int descriptor) {
    const std::string text = message.dump();
    iovec part{const_cast<char*>(text.data()), text.size()};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (descriptor >= 0) {
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        cmsghdr* rights = CMSG_FIRSTHDR(&header);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(rights), &descriptor, sizeof(int));
    }
    std::lock_guard lock(sendMutex_);
    for (;;) {
        const ssize_t sent = ::sendmsg(socket_, &header, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0) {
            return static_cast<std::size_t>(sent) == text.size();
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

PlaybinChannel::Outcome PlaybinChannel::receive(Received& received) {
    thread_local std::string buffer(maximumPacket, '\0');
    iovec part{buffer.data(), buffer.size()};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    ssize_t length;
    do {
        length = ::recvmsg(socket_, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    } while (length < 0 && errno == EINTR);
    if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return Outcome::Nothing;
    }
    received.descriptor = -1;
    for (cmsghdr* part = CMSG_FIRSTHDR(&header); part != nullptr; part = CMSG_NXTHDR(&header, part)) {
        if (part->cmsg_level == SOL_SOCKET && part->cmsg_type == SCM_RIGHTS) {
            const std::size_t count = (part->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t index = 0; index < count; ++index) {
                int descriptor;
                std::memcpy(&descriptor, CMSG_DATA(part) + index * sizeof(int), sizeof(int));
                if (received.descriptor < 0) {
                    received.descriptor = descriptor;
                } else {
                    ::close(descriptor);
                }
            }
        }
    }
    const bool whole = length > 0 && (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0;
    if (whole) {
        received.message = nlohmann::json::parse(buffer.data(), buffer.data() + length, nullptr, false);
    }
    if (!whole || !received.message.is_object()) {
        if (received.descriptor >= 0) {
            ::close(received.descriptor);
            received.descriptor = -1;
        }
        return Outcome::Closed;
    }
    return Outcome::Message;
}

void PlaybinChannel::shutDown() {
    ::shutdown(socket_, SHUT_RDWR);
}

bool makePlaybinSocketPair(int sockets[2]) {
    return ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) == 0;
}
