#include "platform/AliyunPlayer/GstPlaybinEngine.h"

#include "platform/AVFoundation/Media/MediaSessionReport.h"
#include "platform/AliyunPlayer/PlaybinHelperLink.h"

GstPlaybinEngine::GstPlaybinEngine() {
    PlaybinHelperProcess::prepareNext();
}

GstPlaybinEngine::~GstPlaybinEngine() = default;

pid_t GstPlaybinEngine::helperProcessForTesting() const {
    return link_ ? link_->helperPid() : 0;
}

void GstPlaybinEngine::performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) {
    link_.reset();
    const PlaybinMessages::Load load{generation, request, paused, rate(), volume(), isMuted()};
    std::string error = PlaybinMessages::loadRefusal(load).value_or("");
    auto helper = error.empty() ? PlaybinHelperProcess::take(error) : nullptr;
    if (!helper) {
        MediaEngineState failed;
        failed.position = request.startPosition;
        markFailed(failed, error);
        outlets().state(generation, failed);
        return;
    }
    link_ = std::make_unique<PlaybinHelperLink>(std::move(helper), outlets(), load);
}

void GstPlaybinEngine::performStop(std::uint64_t generation) {
    link_.reset();
    outlets().state(generation, MediaEngineState{});
}

void GstPlaybinEngine::performSetPaused(bool paused) {
    if (link_) {
        link_->setPaused(paused);
    }
}

void GstPlaybinEngine::performSetRate(double rate) {
    if (link_) {
        link_->setRate(rate);
    }
}

void GstPlaybinEngine::performSetVolume(double volume, bool muted) {
    if (link_) {
        link_->setVolume(volume, muted);
    }
}

void GstPlaybinEngine::performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) {
    if (link_) {
        link_->seek(generation, seekId, seconds);
    } else {
        outlets().seekEnd(seekId, false);
    }
}
