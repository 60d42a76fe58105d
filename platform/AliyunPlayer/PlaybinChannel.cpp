#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Room for more descriptors than a packet may carry, so that extra ones are seen (and
// closed) rather than cut off.
constexpr std::size_t descriptorRoom = 8;

} // namespace

PlaybinChannel::PlaybinChannel(int socket) : socket_(socket) {}

PlaybinChannel::~PlaybinChannel() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

PlaybinChannel::Encoding PlaybinChannel::encode(const nlohmann::json& message, std::string& text) {
    try {
        text = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const nlohmann::json::type_error&) {
        return Encoding::NotUTF8;
    }
    return text.size() > maximumPacket ? Encoding::TooLarge : Encoding::Fits;
}

bool PlaybinChannel::send(const nlohmann::json& message, int descriptor) {
    const std::string text = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return text.size() <= maximumPacket && sendPacket(text, descriptor);
}

bool PlaybinChannel::sendPacket(const std::string& text, int descriptor) {
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
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * descriptorRoom)];
    ssize_t length;
    for (;;) {
        header = msghdr{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        length = ::recvmsg(socket_, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
        // A peer that ended with our packets unread leaves a reset to be reported once;
        // what it sent before it ended is still there to be read.
        if (length < 0 && (errno == EINTR || errno == ECONNRESET)) {
            continue;
        }
        break;
    }
    if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return Outcome::Nothing;
    }
    if (length <= 0) {
        return Outcome::Closed;
    }
    received.descriptor = -1;
    int descriptors = 0;
    for (cmsghdr* item = CMSG_FIRSTHDR(&header); item != nullptr; item = CMSG_NXTHDR(&header, item)) {
        if (item->cmsg_level != SOL_SOCKET || item->cmsg_type != SCM_RIGHTS) {
            continue;
        }
        const std::size_t count = (item->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t index = 0; index < count; ++index) {
            int descriptor;
            std::memcpy(&descriptor, CMSG_DATA(item) + index * sizeof(int), sizeof(int));
            if (++descriptors == 1) {
                received.descriptor = descriptor;
            } else {
                ::close(descriptor);
            }
        }
    }
    if ((header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0 && descriptors <= 1) {
        received.message = nlohmann::json::parse(buffer.data(), buffer.data() + length, nullptr, false);
        if (received.message.is_object()) {
            return Outcome::Message;
        }
    }
    if (received.descriptor >= 0) {
        ::close(received.descriptor);
        received.descriptor = -1;
    }
    return Outcome::Malformed;
}

void PlaybinChannel::shutDown() {
    ::shutdown(socket_, SHUT_RDWR);
}

bool makePlaybinSocketPair(int sockets[2]) {
    return ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) == 0;
}
