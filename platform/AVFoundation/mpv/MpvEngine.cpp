#include "platform/AVFoundation/mpv/MpvEngine.h"

#include "platform/AVFoundation/mpv/MpvSession.h"

namespace {

// How often the worker looks at mpv without being woken (a safety net: mpv wakes it).
constexpr double idleSeconds = 0.25;

} // namespace

MpvEngine::MpvEngine() {
    MpvSession::Options options;
    options.certificateAuthorityFile = MediaEngineSettings::certificateAuthorityFile();
    options.audioOutput = MediaEngineSettings::audioOutputEnabled();
    // The worker outlives mpv (mpv is destroyed on it), so mpv's callbacks may wake it.
    worker_ = std::make_unique<WorkerThread>(idleSeconds);
    WorkerThread* worker = worker_.get();
    session_ = std::make_shared<MpvSession>(std::move(options), [worker] { worker->wake(); });
    session_->setOutlets(outlets());
    MpvSession* session = session_.get();
    worker_->launch([session] { session->start(); }, [session] { session->step(); },
                    [session] { session->finish(); });
}

MpvEngine::~MpvEngine() { worker_.reset(); }

void MpvEngine::performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) {
    worker_->enqueue([session = session_, generation, request, paused] { session->load(generation, request, paused); });
}

void MpvEngine::performStop(std::uint64_t generation) {
    worker_->enqueue([session = session_, generation] { session->stop(generation); });
}

void MpvEngine::performSetPaused(bool paused) {
    worker_->enqueue([session = session_, paused] { session->setPaused(paused); });
}

void MpvEngine::performSetRate(double rate) {
    worker_->enqueue([session = session_, rate] { session->setRate(rate); });
}

void MpvEngine::performSetVolume(double volume, bool muted) {
    worker_->enqueue([session = session_, volume, muted] { session->setVolume(volume, muted); });
}

void MpvEngine::performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) {
    worker_->enqueue([session = session_, generation, seekId, seconds] { session->seek(generation, seekId, seconds); });
}
