#include "platform/AliyunPlayer/PlaybinHelperLink.h"

#include "platform/AVFoundation/Media/MediaSessionReport.h"
#include "platform/AliyunPlayer/PictureRing.h"
#include "platform/AliyunPlayer/PlaybinReports.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// A playing helper says it is alive every second; one silent this long is hung.
constexpr std::chrono::seconds silenceLimit{15};
// A helper's first word is its "ready", once GStreamer has started in it and loaded its
// plugins, which a cold or busy machine may take long over (GStreamer rebuilds its plugin
// registry after an upgrade): until then the silence limit does not apply, this does.
constexpr std::chrono::seconds startLimit{60};
constexpr int pollMilliseconds = 500;

// The helper's picture memory as the link's thread holds it.
struct Pictures {
    std::shared_ptr<PictureRingReader> ring;
    std::uint64_t ringId = 0;
};

} // namespace

// What the main thread and the link's thread share.
struct PlaybinHelperLink::Shared {
    PlaybinHelperProcess& helper;
    MediaEngineOutlets outlets;

    std::mutex mutex;
    // The load's generation, the newest generation the helper was given, the seek it has
    // under way and the newest seek it was asked for.
    std::uint64_t loadGeneration = 0;
    std::uint64_t generation = 0;
    std::uint64_t seekId = 0;
    std::uint64_t newestSeekId = 0;
    // The last state the helper reported (the load's first state until then).
    MediaEngineState state;
    // The link was let go, or the helper's load failed: nothing more is reported.
    bool over = false;

    explicit Shared(PlaybinHelperProcess& helper) : helper(helper) {}

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
        helper.end();
    }

    // Checks one message of the helper's and carries it out; false, saying why in
    // `problem`, when it is not a well-formed report.
    bool take(PlaybinChannel::Received& received, Pictures& pictures, std::string& problem) {
        const int descriptor = std::exchange(received.descriptor, -1);
        PlaybinReports::Expectations expected;
        {
            std::lock_guard lock(mutex);
            expected.loadGeneration = loadGeneration;
            expected.newestGeneration = generation;
            expected.newestSeekId = newestSeekId;
        }
        expected.ring = pictures.ringId;
        expected.ringSlots = pictures.ring ? pictures.ring->layout().slots : 0;
        const auto report = PlaybinReports::read(received.message, descriptor >= 0, expected, problem);
        if (!report) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
            return false;
        }
        if (const auto* ring = std::get_if<PlaybinReports::Ring>(&*report)) {
            pictures.ring = PictureRingReader::map(descriptor, ring->layout);
            pictures.ringId = ring->ring;
            if (!pictures.ring) {
                problem = "picture memory that is not sealed at its announced size";
                return false;
            }
        } else if (const auto* frame = std::get_if<PlaybinReports::Frame>(&*report)) {
            if (auto picture = pictures.ring->frame(frame->slot)) {
                outlets.frame(frame->generation, std::move(picture));
            }
        } else if (const auto* reported = std::get_if<PlaybinReports::State>(&*report)) {
            std::lock_guard lock(mutex);
            if (!over) {
                state = reported->state;
                outlets.state(reported->generation, reported->state);
            }
        } else if (const auto* seekEnd = std::get_if<PlaybinReports::SeekEnd>(&*report)) {
            {
                std::lock_guard lock(mutex);
                if (seekId == seekEnd->seekId) {
                    seekId = 0;
                }
            }
            outlets.seekEnd(seekEnd->seekId, seekEnd->finished);
        }
        return true;
    }
};

PlaybinHelperLink::PlaybinHelperLink(std::unique_ptr<PlaybinHelperProcess> helper, MediaEngineOutlets outlets,
                                     const PlaybinMessages::Load& load)
    : helper_(std::move(helper)), shared_(std::make_shared<Shared>(*helper_)) {
    shared_->outlets = std::move(outlets);
    shared_->loadGeneration = load.generation;
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
    helper_->end();
    reader_.join();
}

void PlaybinHelperLink::send(const nlohmann::json& command) {
    // A helper whose socket has no room for a command has not read for a long while. One
    // that has ended is left to the link's thread, which reads what it sent before.
    if (!helper_->channel().send(command) && helper_->isRunning()) {
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
            shared_->newestSeekId = std::max(shared_->newestSeekId, seekId);
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
    PlaybinChannel& channel = shared->helper.channel();
    Pictures pictures;
    const auto started = Clock::now();
    std::optional<Clock::time_point> lastHeard;
    for (;;) {
        pollfd watched{channel.socket(), POLLIN, 0};
        ::poll(&watched, 1, pollMilliseconds);
        PlaybinChannel::Received received;
        PlaybinChannel::Outcome outcome;
        while ((outcome = channel.receive(received)) == PlaybinChannel::Outcome::Message) {
            lastHeard = Clock::now();
            std::string problem;
            if (!shared->take(received, pictures, problem)) {
                shared->fail("the second playback engine's process sent " + problem);
                return;
            }
        }
        if (outcome == PlaybinChannel::Outcome::Malformed) {
            shared->fail("the second playback engine's process sent a malformed message");
            return;
        }
        if (outcome == PlaybinChannel::Outcome::Closed) {
            shared->fail("the second playback engine's process ended");
            return;
        }
        const auto now = Clock::now();
        if (!lastHeard && now - started > startLimit) {
            shared->fail("the second playback engine's process did not start");
            return;
        }
        if (lastHeard && now - *lastHeard > silenceLimit) {
            shared->fail("the second playback engine's process stopped answering");
            return;
        }
    }
}
