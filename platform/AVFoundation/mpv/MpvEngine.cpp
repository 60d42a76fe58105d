#include "platform/AVFoundation/mpv/MpvEngine.h"

#include "platform/AVFoundation/mpv/MpvGLRenderer.h"
#include "platform/AVFoundation/mpv/MpvPictureLink.h"
#include "platform/AVFoundation/mpv/MpvSession.h"
#include "platform/Foundation/DispatchQueue.h"

namespace {

// How often the worker looks at mpv without being woken (a safety net: mpv wakes it).
constexpr double idleSeconds = 0.25;

} // namespace

MpvEngine::MpvEngine() : link_(MpvPictureLink::make()) {
    const std::shared_ptr<VideoGLContext> context = VideoGLContext::current();
    MpvSession::Options options;
    options.certificateAuthorityFile = MediaEngineSettings::certificateAuthorityFile();
    options.audioOutput = MediaEngineSettings::audioOutputEnabled();
    options.picturesInTextures = context != nullptr;
    // mpv's OpenGL renderer is made on the main thread, where the context is current,
    // once mpv runs.
    auto started = [alive = std::weak_ptr<bool>(alive_), this, context](mpv_handle* handle) {
        DispatchQueue::main().async([alive, this, context, handle] {
            if (!alive.expired()) {
                attachRenderer(handle, context);
            }
        });
    };
    // The worker outlives mpv (mpv is destroyed on it), so mpv's callbacks may wake it.
    worker_ = std::make_unique<WorkerThread>(idleSeconds);
    WorkerThread* worker = worker_.get();
    session_ = std::make_shared<MpvSession>(
        std::move(options), [worker] { worker->wake(); }, link_, std::move(started));
    session_->setOutlets(outlets());
    MpvSession* session = session_.get();
    worker_->launch([session] { session->start(); }, [session] { session->step(); },
                    [session] { session->finish(); });
}

MpvEngine::~MpvEngine() {
    alive_.reset();
    // mpv's renderer goes first, on this thread where its context is current.
    renderer_.reset();
    worker_.reset();
}

void MpvEngine::attachRenderer(mpv_handle* handle, const std::shared_ptr<VideoGLContext>& context) {
    renderer_ = MpvGLRenderer::make(
        handle, context, link_,
        [this](std::uint64_t generation, std::shared_ptr<VideoFrame> frame) {
            presentFrame(generation, std::move(frame));
        },
        [this] { worker_->enqueue([session = session_] { session->useSoftwareRenderer(); }); });
    if (renderer_) {
        worker_->enqueue([session = session_] { session->rendererReady(); });
    } else {
        worker_->enqueue([session = session_] { session->useSoftwareRenderer(); });
    }
}

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
    worker_->enqueue(
        [session = session_, generation, seekId, seconds] { session->seek(generation, seekId, seconds); });
}
