#include "platform/AVFoundation/Media/MediaEngine.h"

#include "platform/Foundation/DispatchQueue.h"

#include <algorithm>
#include <cmath>

namespace MediaEngineSettings {
namespace {

struct Values {
    std::mutex mutex;
    std::filesystem::path certificateAuthorityFile;
    bool audioOutputEnabled = true;
};

Values& values() {
    static Values shared;
    return shared;
}

} // namespace

void setCertificateAuthorityFile(const std::filesystem::path& file) {
    std::lock_guard lock(values().mutex);
    values().certificateAuthorityFile = file;
}

std::filesystem::path certificateAuthorityFile() {
    std::lock_guard lock(values().mutex);
    return values().certificateAuthorityFile;
}

void setAudioOutputEnabled(bool enabled) {
    std::lock_guard lock(values().mutex);
    values().audioOutputEnabled = enabled;
}

bool audioOutputEnabled() {
    std::lock_guard lock(values().mutex);
    return values().audioOutputEnabled;
}

} // namespace MediaEngineSettings

void MediaEngine::Mailbox::postState(std::uint64_t generation, const MediaEngineState& state) {
    std::unique_lock lock(mutex_);
    if (state_ && generation < stateGeneration_) {
        return; // a late state of an older generation must not replace one of a newer
    }
    stateGeneration_ = generation;
    state_ = state;
    schedule(lock);
}

void MediaEngine::Mailbox::postFrame(std::uint64_t generation, std::shared_ptr<VideoFrame> frame) {
    std::unique_lock lock(mutex_);
    if (frame_ && generation < frameGeneration_) {
        return;
    }
    frameGeneration_ = generation;
    frame_ = std::move(frame);
    schedule(lock);
}

void MediaEngine::Mailbox::postSeekEnd(std::uint64_t seekId, bool finished) {
    std::unique_lock lock(mutex_);
    seekEnds_.emplace_back(seekId, finished);
    schedule(lock);
}

// One delivery task at a time: whatever arrives before it runs is delivered with it, so
// a burst of position updates costs the main thread one task.
void MediaEngine::Mailbox::schedule(std::unique_lock<std::mutex>& lock) {
    if (scheduled_) {
        return;
    }
    scheduled_ = true;
    lock.unlock();
    DispatchQueue::main().async([weakSelf = self_] {
        if (auto self = weakSelf.lock(); self && self->owner_ != nullptr) {
            self->owner_->deliver();
        }
    });
}

MediaEngine::MediaEngine() : mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->self_ = mailbox_;
    mailbox_->owner_ = this;
}

MediaEngine::~MediaEngine() {
    mailbox_->owner_ = nullptr;
}

MediaEngineOutlets MediaEngine::outlets() const {
    std::weak_ptr<Mailbox> box = mailbox_;
    MediaEngineOutlets outlets;
    outlets.state = [box](std::uint64_t generation, const MediaEngineState& state) {
        if (auto mailbox = box.lock()) {
            mailbox->postState(generation, state);
        }
    };
    outlets.frame = [box](std::uint64_t generation, std::shared_ptr<VideoFrame> frame) {
        if (auto mailbox = box.lock()) {
            mailbox->postFrame(generation, std::move(frame));
        }
    };
    outlets.seekEnd = [box](std::uint64_t seekId, bool finished) {
        if (auto mailbox = box.lock()) {
            mailbox->postSeekEnd(seekId, finished);
        }
    };
    return outlets;
}

void MediaEngine::deliver() {
    const std::shared_ptr<Mailbox> box = mailbox_;
    std::optional<MediaEngineState> state;
    std::shared_ptr<VideoFrame> frame;
    std::vector<std::pair<std::uint64_t, bool>> seekEnds;
    {
        std::lock_guard lock(box->mutex_);
        box->scheduled_ = false;
        if (box->state_ && box->stateGeneration_ == generation_) {
            state = std::move(box->state_);
        }
        box->state_.reset();
        if (box->frame_ && box->frameGeneration_ >= loadGeneration_) {
            frame = std::move(box->frame_);
        }
        box->frame_.reset();
        seekEnds.swap(box->seekEnds_);
    }
    // A client may destroy the engine from any callback: `box` outlives it and tells.
    for (const auto& [seekId, finished] : seekEnds) {
        finishSeek(seekId, finished);
        if (box->owner_ != this) {
            return;
        }
    }
    apply(std::move(state), std::move(frame));
}

void MediaEngine::presentFrame(std::uint64_t generation, std::shared_ptr<VideoFrame> frame) {
    if (frame && generation >= loadGeneration_) {
        apply(std::nullopt, std::move(frame));
    }
}

// Takes over a new state and a new picture (either may be absent) and tells the client.
void MediaEngine::apply(std::optional<MediaEngineState> state, std::shared_ptr<VideoFrame> frame) {
    const std::shared_ptr<Mailbox> box = mailbox_;
    const bool frameChanged = frame != nullptr;
    if (frameChanged) {
        frame_ = std::move(frame);
    }
    MediaEngineState next = state ? *state : state_;
    next.hasFrame = frame_ != nullptr;
    if (next != state_) {
        state_ = std::move(next);
        notifyState();
        if (box->owner_ != this) {
            return;
        }
    }
    if (frameChanged) {
        if (auto client = client_.lock()) {
            client->engineFrameDidChange(*this);
        }
    }
}

void MediaEngine::notifyState() {
    if (auto client = client_.lock()) {
        client->engineStateDidChange(*this);
    }
}

void MediaEngine::finishSeek(std::uint64_t seekId, bool finished) {
    auto found = seeks_.find(seekId);
    if (found == seeks_.end()) {
        return;
    }
    SeekCompletion completion = std::move(found->second);
    seeks_.erase(found);
    if (completion) {
        completion(finished);
    }
}

// Seeks still waiting are overtaken: their completions run, with false, on a later turn
// of the main queue, as every completion does.
void MediaEngine::abandonSeeks() {
    auto abandoned = std::move(seeks_);
    seeks_.clear();
    for (auto& [seekId, completion] : abandoned) {
        if (completion) {
            DispatchQueue::main().async([completion = std::move(completion)] { completion(false); });
        }
    }
}

void MediaEngine::load(const MediaRequest& request) {
    loadGeneration_ = ++generation_;
    abandonSeeks();
    frame_.reset();
    state_ = MediaEngineState{};
    state_.phase = MediaEnginePhase::Loading;
    state_.position = request.startPosition;
    performLoad(generation_, request, paused_);
    notifyState();
}

void MediaEngine::stop() {
    loadGeneration_ = ++generation_;
    abandonSeeks();
    frame_.reset();
    const bool changed = state_ != MediaEngineState{};
    state_ = MediaEngineState{};
    performStop(generation_);
    if (changed) {
        notifyState();
    }
}

void MediaEngine::setPaused(bool paused) {
    if (paused_ == paused) {
        return;
    }
    paused_ = paused;
    performSetPaused(paused);
}

void MediaEngine::setRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0 || rate_ == rate) {
        return;
    }
    rate_ = rate;
    performSetRate(rate);
}

void MediaEngine::setVolume(double volume) {
    volume = std::isfinite(volume) ? std::clamp(volume, 0.0, 1.0) : 0.0;
    if (volume_ == volume) {
        return;
    }
    volume_ = volume;
    performSetVolume(volume_, muted_);
}

void MediaEngine::setMuted(bool muted) {
    if (muted_ == muted) {
        return;
    }
    muted_ = muted;
    performSetVolume(volume_, muted_);
}

void MediaEngine::seek(double seconds, SeekCompletion completion) {
    // One seek at a time: a newer one overtakes the one in flight.
    abandonSeeks();
    const bool seekable = state_.phase == MediaEnginePhase::Ready && std::isfinite(seconds);
    if (!seekable) {
        if (completion) {
            DispatchQueue::main().async([completion = std::move(completion)] { completion(false); });
        }
        return;
    }
    seconds = std::max(0.0, state_.duration > 0 ? std::min(seconds, state_.duration) : seconds);
    const std::uint64_t seekId = nextSeekId_++;
    seeks_.emplace(seekId, std::move(completion));
    state_.position = seconds;
    state_.ended = false;
    performSeek(++generation_, seekId, seconds);
}
