// orvex-playbin: the second playback engine's helper process. It plays one request on
// GStreamer's playbin3 and talks to the application over the socket it was given (see
// PlaybinMessages.h); closing that socket ends it at once, without stopping GStreamer.
// It follows the application's network policy: names resolved only through the
// encrypted resolver, peers verified against the same authorities, no proxies.

#include "platform/AliyunPlayer/PlaybinChannel.h"
#include "platform/AliyunPlayer/PlaybinMessages.h"
#include "platform/AliyunPlayer/helper/GstPlaybinSession.h"
#include "platform/AliyunPlayer/helper/PendingReports.h"
#include "platform/AliyunPlayer/helper/PicturePublisher.h"
#include "platform/Network/NetworkPolicy.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// How often the loop steps the session without being woken (GStreamer reports the
// position only when asked), and how often it tells the application it is alive.
constexpr int stepMilliseconds = 100;
constexpr std::chrono::seconds aliveInterval{1};

struct Arguments {
    int socket = -1;
    pid_t parent = 0;
    std::filesystem::path mediaCertificateAuthorityFile;
    std::filesystem::path networkCertificateAuthorityFile;
    std::string resolverURL;
    std::vector<NWEndpoint> resolverAddresses;
    bool audioOutput = true;
};

std::optional<Arguments> parse(int argc, char** argv) {
    Arguments arguments;
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        const auto value = [&](std::string_view name) -> std::optional<std::string> {
            if (argument.starts_with(name) && argument.size() > name.size() && argument[name.size()] == '=') {
                return std::string(argument.substr(name.size() + 1));
            }
            return std::nullopt;
        };
        if (const auto socket = value("--socket")) {
            arguments.socket = std::atoi(socket->c_str());
        } else if (const auto parent = value("--parent")) {
            arguments.parent = static_cast<pid_t>(std::atol(parent->c_str()));
        } else if (const auto file = value("--media-ca-file")) {
            arguments.mediaCertificateAuthorityFile = *file;
        } else if (const auto file = value("--network-ca-file")) {
            arguments.networkCertificateAuthorityFile = *file;
        } else if (const auto url = value("--resolver")) {
            arguments.resolverURL = *url;
        } else if (const auto address = value("--resolver-address")) {
            // host:port, the host possibly an IPv6 literal with colons of its own.
            const auto colon = address->rfind(':');
            if (colon == std::string::npos) {
                return std::nullopt;
            }
            arguments.resolverAddresses.push_back(
                NWEndpoint::hostPort(address->substr(0, colon), std::atoi(address->c_str() + colon + 1)));
        } else if (argument == "--no-audio") {
            arguments.audioOutput = false;
        } else {
            return std::nullopt;
        }
    }
    if (arguments.socket < 0 || arguments.parent <= 0) {
        return std::nullopt;
    }
    return arguments;
}

void followNetworkPolicy(const Arguments& arguments) {
    for (const char* name :
         {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"}) {
        ::unsetenv(name);
    }
    NetworkPolicy::setCertificateAuthorityFile(arguments.networkCertificateAuthorityFile);
    if (!arguments.resolverURL.empty()) {
        NetworkPolicy::setEncryptedResolver(NWParameters::PrivacyContext::ResolverConfiguration::https(
            arguments.resolverURL, arguments.resolverAddresses));
    }
}

// Carries out one command; true when it was a load.
bool handle(const nlohmann::json& message, GstPlaybinSession& session) {
    using namespace PlaybinMessages;
    const auto command = message.find("command");
    if (command == message.end() || !command->is_string()) {
        return false;
    }
    const std::string& name = command->get_ref<const std::string&>();
    if (name == "load") {
        if (const auto load = readLoad(message)) {
            session.setRate(load->rate);
            session.setVolume(load->volume, load->muted);
            session.load(load->generation, load->request, load->paused);
            return true;
        }
    } else if (name == "pause") {
        session.setPaused(flag(message, "paused"));
    } else if (name == "rate") {
        session.setRate(number(message, "rate", 1));
    } else if (name == "volume") {
        session.setVolume(number(message, "volume", 1), flag(message, "muted"));
    } else if (name == "seek") {
        session.seek(count(message, "generation"), count(message, "seekId"), number(message, "seconds"));
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = parse(argc, argv);
    if (!arguments) {
        std::fprintf(stderr, "orvex-playbin: started without its socket; it is started by Orvex only\n");
        return 2;
    }
    // Ends with the application, however the application ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != arguments->parent) {
        ::_exit(0);
    }
    followNetworkPolicy(*arguments);

    PlaybinChannel channel(arguments->socket);
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        ::_exit(1);
    }
    PicturePublisher pictures(channel);
    GstPlaybinSession::Options options;
    options.certificateAuthorityFile = arguments->mediaCertificateAuthorityFile;
    options.audioOutput = arguments->audioOutput;
    GstPlaybinSession session(
        std::move(options),
        [wake] {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wake, &one, sizeof one);
        },
        [&pictures](std::uint64_t generation, int width, int height, const std::uint8_t* pixels,
                    std::size_t stride) { pictures.publish(generation, width, height, pixels, stride); });
    PendingReports reports(channel);
    MediaEngineOutlets outlets;
    outlets.state = [&reports](std::uint64_t generation, const MediaEngineState& state) {
        reports.add(PlaybinMessages::stateEvent(generation, state));
    };
    outlets.seekEnd = [&reports](std::uint64_t seekId, bool finished) {
        reports.add({{"event", "seekEnd"}, {"seekId", seekId}, {"finished", finished}});
    };
    outlets.frame = [](std::uint64_t, std::shared_ptr<VideoFrame>) {};
    session.setOutlets(std::move(outlets));
    session.start();
    // The application counts the helper's silence from its first word on.
    reports.add({{"event", "ready"}});

    // A helper waiting for its load is watched by nobody; once it plays, the application
    // hears from it at least every second, or takes it for hung.
    bool loaded = false;
    auto lastAlive = std::chrono::steady_clock::now();
    for (;;) {
        pollfd watched[2] = {{channel.socket(), POLLIN, 0}, {wake, POLLIN, 0}};
        ::poll(watched, 2, stepMilliseconds);
        std::uint64_t wakes = 0;
        [[maybe_unused]] const auto read = ::read(wake, &wakes, sizeof wakes);
        PlaybinChannel::Received received;
        PlaybinChannel::Outcome outcome;
        while ((outcome = channel.receive(received)) == PlaybinChannel::Outcome::Message) {
            if (received.descriptor >= 0) {
                ::close(received.descriptor);
            }
            loaded = handle(received.message, session) || loaded;
        }
        // The application stopped this playback or has gone: the process ends here,
        // GStreamer's threads with it, whatever they are doing.
        if (outcome != PlaybinChannel::Outcome::Nothing) {
            ::_exit(0);
        }
        session.step();
        reports.flush();
        // A failed load ends its helper once the failure is reported.
        if ((session.finished() && reports.empty()) || reports.stuck()) {
            ::_exit(0);
        }
        const auto now = std::chrono::steady_clock::now();
        if (loaded && now - lastAlive >= aliveInterval) {
            lastAlive = now;
            channel.send({{"event", "alive"}});
        }
    }
}
