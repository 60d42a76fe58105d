// A stand-in for the second engine's helper that misbehaves as its load's address says
// ("http://fake.test/<behaviour>"), so that the application's side of the boundary can be
// driven through everything a helper might send. Unless a behaviour says otherwise, once it
// has misbehaved it hangs: it neither reads its socket nor ends by itself, so that only the
// application can end it.

#include "platform/AliyunPlayer/PictureRing.h"
#include "platform/AliyunPlayer/PlaybinChannel.h"
#include "platform/AliyunPlayer/PlaybinMessages.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr int helperSocket = 3;
constexpr int slots = 5;

PlaybinChannel channel(helperSocket);

[[noreturn]] void hang() {
    for (;;) {
        ::pause();
    }
}

nlohmann::json ringEvent(int width, int height) {
    return {{"event", "ring"}, {"ring", 1}, {"width", width}, {"height", height}, {"slots", slots}};
}

nlohmann::json frameEvent(std::uint64_t generation, int slot) {
    return {{"event", "frame"}, {"generation", generation}, {"ring", 1}, {"slot", slot}};
}

nlohmann::json readyState(std::uint64_t generation) {
    MediaEngineState state;
    state.phase = MediaEnginePhase::Ready;
    state.duration = 10;
    state.presentationWidth = 64;
    state.presentationHeight = 36;
    return PlaybinMessages::stateEvent(generation, state);
}

// Picture memory as the real helper makes it.
std::unique_ptr<PictureRingWriter> makeRing() {
    return PictureRingWriter::create(*PictureRingLayout::of(64, 36, slots));
}

// Memory of `bytes` that is not sealed.
int unsealedMemory(std::size_t bytes) {
    const int memory = ::memfd_create("fake-pictures", MFD_CLOEXEC);
    if (memory < 0 || ::ftruncate(memory, static_cast<off_t>(bytes)) != 0) {
        std::abort();
    }
    return memory;
}

// Sealed memory of `bytes`, as the real helper seals its own.
int sealedMemory(std::size_t bytes) {
    const int memory = ::memfd_create("fake-pictures", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0 || ::ftruncate(memory, static_cast<off_t>(bytes)) != 0 ||
        ::fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        std::abort();
    }
    return memory;
}

// Waits until the application has mapped `memory`.
void awaitMappedByTheApplication(int memory) {
    struct stat status {};
    if (::fstat(memory, &status) != 0) {
        std::abort();
    }
    const std::string maps = "/proc/" + std::to_string(::getppid()) + "/maps";
    for (;;) {
        std::ifstream file(maps);
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            std::string range, permissions, offset, device;
            unsigned long long inode = 0;
            fields >> range >> permissions >> offset >> device >> inode;
            if (inode == status.st_ino && line.find("orvex-pictures") != std::string::npos) {
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Shows one picture of a ring of its own (first trying to pull the ring's memory away
// under the application's mapping, when `shrink`), then says it is alive until the
// application ends it.
[[noreturn]] void playOnePicture(std::uint64_t generation, bool shrink) {
    auto ring = makeRing();
    channel.send(readyState(generation));
    channel.send(ringEvent(64, 36), ring->descriptor());
    std::memset(ring->pixels(0), 0x80, ring->layout().stride * 36);
    ring->handOver(0);
    if (shrink) {
        awaitMappedByTheApplication(ring->descriptor());
        [[maybe_unused]] const int shrunk = ::ftruncate(ring->descriptor(), 0);
    }
    channel.send(frameEvent(generation, 0));
    for (;;) {
        channel.send({{"event", "alive"}});
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

const std::map<std::string, std::function<void(std::uint64_t generation)>>& behaviours() {
    static const std::map<std::string, std::function<void(std::uint64_t)>> all = {
        {"event-that-is-a-number",
         [](std::uint64_t) {
             channel.send({{"event", 5}});
         }},
        {"unknown-event",
         [](std::uint64_t) {
             channel.send({{"event", "confetti"}});
         }},
        {"generation-never-given",
         [](std::uint64_t generation) { channel.send(readyState(generation + 1000)); }},
        {"phase-out-of-range",
         [](std::uint64_t generation) {
             auto state = readyState(generation);
             state["phase"] = 9;
             channel.send(state);
         }},
        {"position-not-a-number",
         [](std::uint64_t generation) {
             auto state = readyState(generation);
             state["position"] = "soon";
             channel.send(state);
         }},
        {"ring-too-wide", [](std::uint64_t) { channel.send(ringEvent(100000, 36), sealedMemory(1 << 20)); }},
        {"ring-side-past-every-integer",
         [](std::uint64_t) {
             auto ring = ringEvent(64, 36);
             ring["height"] = 1e300;
             channel.send(ring, sealedMemory(1 << 20));
         }},
        {"slot-out-of-range",
         [](std::uint64_t generation) {
             auto ring = makeRing();
             channel.send(ringEvent(64, 36), ring->descriptor());
             channel.send(frameEvent(generation, slots));
         }},
        {"negative-slot",
         [](std::uint64_t generation) {
             auto ring = makeRing();
             channel.send(ringEvent(64, 36), ring->descriptor());
             channel.send(frameEvent(generation, -1));
         }},
        {"frame-of-no-ring", [](std::uint64_t generation) { channel.send(frameEvent(generation, 0)); }},
        {"descriptor-on-a-frame",
         [](std::uint64_t generation) {
             auto ring = makeRing();
             channel.send(ringEvent(64, 36), ring->descriptor());
             ring->handOver(0);
             channel.send(frameEvent(generation, 0), ring->descriptor());
         }},
        {"ring-without-memory", [](std::uint64_t) { channel.send(ringEvent(64, 36)); }},
        {"ring-not-sealed",
         [](std::uint64_t) {
             channel.send(ringEvent(64, 36),
                          unsealedMemory(PictureRingLayout::of(64, 36, slots)->totalBytes()));
         }},
        {"ring-shorter-than-announced",
         [](std::uint64_t) {
             channel.send(ringEvent(64, 36),
                          sealedMemory(PictureRingLayout::of(64, 36, slots)->totalBytes() / 2));
         }},
        {"ring-that-is-a-pipe",
         [](std::uint64_t) {
             int ends[2];
             if (::pipe(ends) != 0) {
                 std::abort();
             }
             channel.send(ringEvent(64, 36), ends[0]);
         }},
        {"packet-cut-short", [](std::uint64_t) { channel.sendPacket(R"({"event":"state","generation":)"); }},
        {"packet-larger-than-any-message",
         [](std::uint64_t) {
             channel.sendPacket(R"({"event":"alive","padding":")" +
                                std::string(PlaybinChannel::maximumPacket, 'x') + R"("})");
         }},
        {"two-descriptors",
         [](std::uint64_t) {
             auto ring = makeRing();
             const int copy = ::dup(ring->descriptor());
             iovec part{};
             const std::string text = ringEvent(64, 36).dump();
             part.iov_base = const_cast<char*>(text.data());
             part.iov_len = text.size();
             msghdr header{};
             header.msg_iov = &part;
             header.msg_iovlen = 1;
             alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
             header.msg_control = control;
             header.msg_controllen = sizeof control;
             cmsghdr* rights = CMSG_FIRSTHDR(&header);
             rights->cmsg_level = SOL_SOCKET;
             rights->cmsg_type = SCM_RIGHTS;
             rights->cmsg_len = CMSG_LEN(2 * sizeof(int));
             const int descriptors[2] = {ring->descriptor(), copy};
             std::memcpy(CMSG_DATA(rights), descriptors, sizeof descriptors);
             ::sendmsg(helperSocket, &header, MSG_NOSIGNAL);
         }},
        // Tries to pull its picture memory away under the application's mapping.
        {"shrinks-its-ring", [](std::uint64_t generation) { playOnePicture(generation, true); }},
        // Reports its own failure and ends at once, once the application has sent it a
        // command it does not read.
        {"fails-and-ends",
         [](std::uint64_t generation) {
             pollfd watched{helperSocket, POLLIN, 0};
             ::poll(&watched, 1, -1);
             MediaEngineState state;
             state.phase = MediaEnginePhase::Failed;
             state.errorDescription = "the fake helper's own reason";
             // Reports enough that the application is still reading them as the socket closes.
             for (int alive = 0; alive < 100; ++alive) {
                 channel.send({{"event", "alive"}});
             }
             channel.send(PlaybinMessages::stateEvent(generation, state));
             ::close(helperSocket);
             ::_exit(0);
         }},
        // Starts slower than the silence limit, then plays.
        {"starts-slowly",
         [](std::uint64_t generation) {
             std::this_thread::sleep_for(std::chrono::seconds(17));
             channel.send({{"event", "ready"}});
             playOnePicture(generation, false);
         }},
    };
    return all;
}

// Waits for the load, reading the commands the application sends before it.
PlaybinMessages::Load awaitLoad() {
    for (;;) {
        pollfd watched{helperSocket, POLLIN, 0};
        ::poll(&watched, 1, -1);
        PlaybinChannel::Received received;
        const auto outcome = channel.receive(received);
        if (outcome == PlaybinChannel::Outcome::Closed || outcome == PlaybinChannel::Outcome::Malformed) {
            ::_exit(0);
        }
        if (outcome == PlaybinChannel::Outcome::Message) {
            if (const auto load = PlaybinMessages::readLoad(received.message)) {
                return *load;
            }
        }
    }
}

} // namespace

int main() {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const auto load = awaitLoad();
    const std::string behaviour = load.request.url.substr(load.request.url.rfind('/') + 1);
    const auto found = behaviours().find(behaviour);
    if (found == behaviours().end()) {
        std::fprintf(stderr, "fake helper: no behaviour %s\n", behaviour.c_str());
        ::_exit(2);
    }
    if (behaviour != "starts-slowly") {
        channel.send({{"event", "ready"}});
    }
    found->second(load.generation);
    hang();
}
