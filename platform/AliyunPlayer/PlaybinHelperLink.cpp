#include "platform/AliyunPlayer/PlaybinHelperLink.h"

#include "platform/AVFoundation/Media/MediaSessionReport.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace {

// A playing helper says it is alive every second; one silent this long is hung.
constexpr std::chrono::seconds silenceLimit{15};
constexpr int pollMilliseconds = 500;

} // namespace

// What the main thread and the link's thread share.
struct PlaybinHelperLink::Shared {
    PlaybinChannel& channel;
    MediaEngineOutlets outlets;

    std::mutex mutex;
    // The newest generation the helper was given, and the seek it has under way.
    std::uint64_t generation = 0;
    std::uint64_t seekId = 0;
    // The last state the helper reported (the load's first state until then).
    MediaEngineState state;
    // The link was let go, or the helper's load failed: nothing more is reported.
    bool over = false;

    explicit Shared(PlaybinChannel& channel) : channel(channel) {}

    // Fails the load for `reason` unless it is over already, and ends the helper.
    void fail(const std::string& reason) {
        std::uint64_t seekToEnd = 0;
        {
            std::lock_guard lock(mutex);
            if (over) {
                return;
            }
            over = true;
            if (state.phase != MediaEnginePhase::Failed) {
                markFailed(state, reason);
                outlets.state(generation, state);
            }
            seekToEnd = seekId;
            seekId = 0;
        }
        if (seekToEnd != 0) {
            outlets.seekEnd(seekToEnd, false);
        }
        channel.shutDown();
    }
};

PlaybinHelperLink::PlaybinHelperLink(std::unique_ptr<PlaybinHelperProcess> helper, MediaEngineOutlets outlets,
                                     const PlaybinMessages::Load& load)
    : helper_(std::move(helper)), shared_(std::make_shared<Shared>(helper_->channel())) {
    shared_->outlets = std::move(outlets);
    shared_->generation = load.generation;
    shared_->state.phase = MediaEnginePhase::Loading;
    shared_->state.position = load.request.startPosition;
    send(PlaybinMessages::loadCommand(load));
    reader_ = std::thread([shared = shared_] { read(shared); });
}

PlaybinHelperLink::~PlaybinHelperLink() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->over = true;
    }
    shared_->channel.shutDown();
    reader_.join();
}

void PlaybinHelperLink::send(const nlohmann::json& command) {
    // A helper whose socket has no room for a command has not read for a long while.
    if (!shared_->channel.send(command)) {
        shared_->fail("the second playback engine's process is not answering");
    }
}

void PlaybinHelperLink::setPaused(bool paused) {
    send({{"command", "pause"}, {"paused", paused}});
}

void PlaybinHelperLink::setRate(double rate) {
    send({{"command", "rate"}, {"rate", rate}});
}

void PlaybinHelperLink::setVolume(double volume, bool muted) {
    send({{"command", "volume"}, {"volume", volume}, {"muted", muted}});
}

void PlaybinHelperLink::seek(std::uint64_t generation, std::uint64_t seekId, double seconds) {
    MediaEngineState state;
    bool over;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->generation = generation;
        over = shared_->over;
        if (over) {
            state = shared_->state;
        } else {
            shared_->seekId = seekId;
        }
    }
    if (!over) {
        send({{"command", "seek"}, {"generation", generation}, {"seekId", seekId}, {"seconds", seconds}});
        return;
    }
    // The load is over (its failure may not have reached the engine yet): the seek is
    // refused, and the state is told again under the seek's generation.
    shared_->outlets.seekEnd(seekId, false);
    shared_->outlets.state(generation, state);
}

void PlaybinHelperLink::read(const std::shared_ptr<Shared>& shared) {
    std::shared_ptr<PictureRingReader> ring;
    std::uint64_t ringId = 0;
    auto lastHeard = std::chrono::steady_clock::now();
    for (;;) {
        pollfd watched{shared->channel.socket(), POLLIN, 0};
        ::poll(&watched, 1, pollMilliseconds);
        PlaybinChannel::Received received;
        PlaybinChannel::Outcome outcome;
        while ((outcome = shared->channel.receive(received)) == PlaybinChannel::Outcome::Message) {
            lastHeard = std::chrono::steady_clock::now();
            const auto& message = received.message;
            const std::string event = message.value("event", "");
            if (event == "ring") {
                const auto layout =
                    PictureRingLayout::of(static_cast<int>(PlaybinMessages::number(message, "width")),
                                          static_cast<int>(PlaybinMessages::number(message, "height")),
                                          static_cast<int>(PlaybinMessages::number(message, "slots")));
                if (layout && received.descriptor >= 0) {
                    ring = PictureRingReader::map(received.descriptor, *layout);
                    ringId = PlaybinMessages::count(message, "ring");
                    received.descriptor = -1;
                }
            } else if (event == "frame") {
                if (ring && PlaybinMessages::count(message, "ring") == ringId) {
                    const auto slot = static_cast<int>(PlaybinMessages::number(message, "slot", -1));
                    if (auto frame = ring->frame(slot)) {
                        shared->outlets.frame(PlaybinMessages::count(message, "generation"),
                                              std::move(frame));
                    }
                }
            } else if (event == "state") {
                if (auto state = PlaybinMessages::readState(message)) {
                    std::lock_guard lock(shared->mutex);
                    if (!shared->over) {
                        shared->state = state->second;
                        shared->outlets.state(state->first, state->second);
                    }
                }
            } else if (event == "seekEnd") {
                const std::uint64_t seekId = PlaybinMessages::count(message, "seekId");
                {
                    std::lock_guard lock(shared->mutex);
                    if (shared->seekId == seekId) {
                        shared->seekId = 0;
                    }
                }
                shared->outlets.seekEnd(seekId, PlaybinMessages::flag(message, "finished"));
            }
            if (received.descriptor >= 0) {
                ::close(received.descriptor);
            }
        }
        if (outcome == PlaybinChannel::Outcome::Closed) {
            shared->fail("the second playback engine's process ended");
            return;
        }
        if (std::chrono::steady_clock::now() - lastHeard > silenceLimit) {
            shared->fail("the second playback engine's process stopped answering");
            return;
        }
    }
}
