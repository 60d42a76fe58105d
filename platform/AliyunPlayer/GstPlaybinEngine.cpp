#include "platform/AliyunPlayer/GstPlaybinEngine.h"

#include "platform/AliyunPlayer/GstPlaybinSession.h"

namespace {

// How often the worker reads the playing position (GStreamer reports it only when asked).
constexpr double idleSeconds = 0.1;

} // namespace

GstPlaybinEngine::GstPlaybinEngine() {
    GstPlaybinSession::Options options;
    options.certificateAuthorityFile = MediaEngineSettings::certificateAuthorityFile();
    options.audioOutput = MediaEngineSettings::audioOutputEnabled();
    // The worker outlives the pipeline (it is torn down on it), so bus callbacks may wake it.
    worker_ = std::make_unique<WorkerThread>(idleSeconds);
    WorkerThread* worker = worker_.get();
    session_ = std::make_shared<GstPlaybinSession>(std::move(options), [worker] { worker->wake(); });
    session_->setOutlets(outlets());
    GstPlaybinSession* session = session_.get();
    worker_->launch([session] { session->start(); }, [session] { session->step(); },
                    [session] { session->finish(); });
}

GstPlaybinEngine::~GstPlaybinEngine() { worker_.reset(); }

void GstPlaybinEngine::performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) {
    worker_->enqueue([session = session_, generation, request, paused] { session->load(generation, request, paused); });
}

void GstPlaybinEngine::performStop(std::uint64_t generation) {
    worker_->enqueue([session = session_, generation] { session->stop(generation); });
}

void GstPlaybinEngine::performSetPaused(bool paused) {
    worker_->enqueue([session = session_, paused] { session->setPaused(paused); });
}

void GstPlaybinEngine::performSetRate(double rate) {
    worker_->enqueue([session = session_, rate] { session->setRate(rate); });
}

void GstPlaybinEngine::performSetVolume(double volume, bool muted) {
    worker_->enqueue([session = session_, volume, muted] { session->setVolume(volume, muted); });
}

void GstPlaybinEngine::performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) {
    worker_->enqueue(
        [session = session_, generation, seekId, seconds] { session->seek(generation, seekId, seconds); });
}
