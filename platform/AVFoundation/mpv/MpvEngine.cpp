#include "platform/AVFoundation/mpv/MpvEngine.h"

#include "platform/AVFoundation/mpv/MpvGLRenderer.h"
#include "platform/AVFoundation/mpv/MpvPictureLink.h"
#include "platform/AVFoundation/mpv/MpvSession.h"
#include "platform/Foundation/DispatchQueue.h"

namespace {

// How often the worker looks at mpv without being woken (a safety net: mpv wakes it).
constexpr double idleSeconds = 0.25;

} // namespace

MpvEngine::MpvEngine() : WorkerSessionEngine(idleSeconds), link_(MpvPictureLink::make()) {
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
    launch(std::make_shared<MpvSession>(std::move(options), wakeUp(), link_, std::move(started)));
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
