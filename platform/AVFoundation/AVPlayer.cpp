#include "platform/AVFoundation/AVPlayer.h"

#include "platform/AVFoundation/mpv/MpvEngine.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/NotificationCenter.h"

#include <cmath>

namespace {

// AVFoundation's code for an item that cannot be played.
constexpr std::int64_t failedItemCode = -11800;

} // namespace

std::shared_ptr<AVPlayer> AVPlayer::player() {
    return std::shared_ptr<AVPlayer>(new AVPlayer());
}

std::shared_ptr<AVPlayer> AVPlayer::playerWithPlayerItem(std::shared_ptr<AVPlayerItem> item) {
    auto player = AVPlayer::player();
    player->replaceCurrentItemWithPlayerItem(std::move(item));
    return player;
}

AVPlayer::~AVPlayer() = default;

MediaEngine& AVPlayer::mediaEngine() {
    if (!engine_) {
        engine_ = std::make_unique<MpvEngine>();
        engine_->setClient(weak_from_this());
        engine_->setVolume(volume_);
        engine_->setMuted(muted_);
        engine_->setRate(defaultRate_);
        engine_->setPaused(!playing_);
    }
    return *engine_;
}

void AVPlayer::replaceCurrentItemWithPlayerItem(std::shared_ptr<AVPlayerItem> item) {
    if (item_ == item) {
        return;
    }
    item_ = std::move(item);
    lastState_ = MediaEngineState{};
    if (!item_) {
        if (engine_) {
            engine_->stop();
        }
        notify(AVPlayerChangeItem);
        return;
    }
    const std::string& URL = item_->asset()->URL();
    if (auto refusal = mediaURLRefusal(URL, MediaURLScope::NetworkOrFile)) {
        if (engine_) {
            engine_->stop();
        }
        notify(AVPlayerChangeItem);
        // Failing later keeps the caller's code after this call from seeing a failure
        // in the middle of its own set-up.
        DispatchQueue::main().async([weakSelf = weak_from_this(), item = item_, reason = *refusal] {
            auto self = weakSelf.lock();
            if (self && self->item_ == item) {
                self->failItem(reason);
            }
        });
        return;
    }
    const AVHTTPHeaderFields fields = item_->asset()->httpHeaderFields();
    const std::vector<std::pair<std::string, std::string>> headerFields(fields.begin(), fields.end());
    mediaEngine().load(makeMediaRequest(URL, item_->startTime(), headerFields));
    notify(AVPlayerChangeItem);
}

void AVPlayer::failItem(const std::string& reason) {
    if (!item_ || item_->status_ == AVPlayerItemStatusFailed) {
        return;
    }
    const bool wasReady = item_->status_ == AVPlayerItemStatusReadyToPlay;
    item_->status_ = AVPlayerItemStatusFailed;
    item_->error_ = NSError{AVFoundationErrorDomain, failedItemCode};
    item_->errorDescription_ = reason;
    auto item = item_;
    notify(AVPlayerChangeItemStatus | AVPlayerChangeTimeControlStatus);
    if (wasReady) {
        NotificationCenter::defaultCenter().post(AVPlayerItemFailedToPlayToEndTimeNotification, item);
    }
}

void AVPlayer::play() {
    setRate(defaultRate_);
}

void AVPlayer::pause() {
    setRate(0);
}

void AVPlayer::setRate(double rate) {
    if (!std::isfinite(rate) || rate < 0) {
        return;
    }
    const bool playing = rate > 0;
    const bool rateChanged = playing && rate != defaultRate_;
    if (playing == playing_ && !rateChanged) {
        return;
    }
    playing_ = playing;
    if (rateChanged) {
        defaultRate_ = rate;
    }
    if (engine_) {
        engine_->setRate(defaultRate_);
        engine_->setPaused(!playing_);
    }
    notify(AVPlayerChangeRate | AVPlayerChangeTimeControlStatus);
}

void AVPlayer::setDefaultRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0 || rate == defaultRate_) {
        return;
    }
    defaultRate_ = rate;
    if (engine_) {
        engine_->setRate(rate);
    }
    if (playing_) {
        notify(AVPlayerChangeRate);
    }
}

void AVPlayer::setVolume(float volume) {
    volume = std::isfinite(volume) ? std::fmin(1.0f, std::fmax(0.0f, volume)) : 0.0f;
    if (volume == volume_) {
        return;
    }
    volume_ = volume;
    if (engine_) {
        engine_->setVolume(volume);
    }
    notify(AVPlayerChangeVolume);
}

void AVPlayer::setMuted(bool muted) {
    if (muted == muted_) {
        return;
    }
    muted_ = muted;
    if (engine_) {
        engine_->setMuted(muted);
    }
    notify(AVPlayerChangeVolume);
}

double AVPlayer::currentTime() const {
    return engine_ && item_ ? engine_->state().position : 0;
}

void AVPlayer::seekToTime(double seconds, std::function<void(bool finished)> completionHandler) {
    if (!engine_ || !item_) {
        if (completionHandler) {
            DispatchQueue::main().async([completionHandler] { completionHandler(false); });
        }
        return;
    }
    item_->ended_ = false;
    engine_->seek(seconds, std::move(completionHandler));
    notify(AVPlayerChangeTime);
}

AVPlayerTimeControlStatus AVPlayer::timeControlStatus() const {
    if (!playing_ || !item_ || item_->status_ == AVPlayerItemStatusFailed || item_->ended_) {
        return AVPlayerTimeControlStatusPaused;
    }
    if (item_->status_ != AVPlayerItemStatusReadyToPlay || (engine_ && engine_->state().buffering)) {
        return AVPlayerTimeControlStatusWaitingToPlayAtSpecifiedRate;
    }
    return AVPlayerTimeControlStatusPlaying;
}

std::shared_ptr<const VideoFrame> AVPlayer::latestFrame() const {
    return engine_ && item_ ? engine_->latestFrame() : nullptr;
}

AVPlayer::ObserverToken AVPlayer::addObserver(Observer observer) {
    auto shared = std::make_shared<Observer>(std::move(observer));
    observers_.push_back(shared);
    return shared;
}

void AVPlayer::notify(unsigned changes) {
    std::erase_if(observers_, [](const auto& observer) { return observer.expired(); });
    const auto observers = observers_;
    std::weak_ptr<AVPlayer> alive = weak_from_this();
    for (const auto& weakObserver : observers) {
        auto observer = weakObserver.lock();
        if (!observer) {
            continue;
        }
        // An observer may drop the player; hold it for the rest of this round.
        auto self = alive.lock();
        if (!self) {
            return;
        }
        (*observer)(*this, changes);
    }
}

void AVPlayer::engineStateDidChange(MediaEngine& engine) {
    if (!item_) {
        return;
    }
    const MediaEngineState& state = engine.state();
    const MediaEngineState previous = lastState_;
    lastState_ = state;
    unsigned changes = 0;
    if (state.phase == MediaEnginePhase::Failed) {
        failItem(state.errorDescription);
        return;
    }
    if (state.phase == MediaEnginePhase::Ready && item_->status_ == AVPlayerItemStatusUnknown) {
        item_->status_ = AVPlayerItemStatusReadyToPlay;
        changes |= AVPlayerChangeItemStatus | AVPlayerChangeTimeControlStatus;
    }
    if (state.duration != item_->duration_) {
        item_->duration_ = state.duration;
        changes |= AVPlayerChangeDuration;
    }
    if (state.bufferedPosition != item_->loadedDuration_) {
        item_->loadedDuration_ = state.bufferedPosition;
        changes |= AVPlayerChangeLoadedDuration;
    }
    const AVPresentationSize size{static_cast<double>(state.presentationWidth),
                                  static_cast<double>(state.presentationHeight)};
    if (size != item_->presentationSize_) {
        item_->presentationSize_ = size;
        changes |= AVPlayerChangePresentationSize;
    }
    if (state.position != previous.position) {
        changes |= AVPlayerChangeTime;
    }
    if (state.buffering != previous.buffering) {
        changes |= AVPlayerChangeTimeControlStatus;
    }
    const bool reachedEnd = state.ended && !item_->ended_;
    if (state.ended != item_->ended_) {
        item_->ended_ = state.ended;
        changes |= AVPlayerChangeTimeControlStatus;
    }
    if (reachedEnd && playing_) {
        // At the end of its item the player pauses, as the platform's player does.
        playing_ = false;
        engine.setPaused(true);
        changes |= AVPlayerChangeRate;
    }
    auto item = item_;
    if (changes != 0) {
        notify(changes);
    }
    if (reachedEnd) {
        NotificationCenter::defaultCenter().post(AVPlayerItemDidPlayToEndTimeNotification, item);
    }
}

void AVPlayer::engineFrameDidChange(MediaEngine&) {
    notify(AVPlayerChangeFrame);
}
