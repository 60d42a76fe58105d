#include "platform/AliyunPlayer/GstPlaybinEngine.h"

#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/AliyunPlayer/GstPlaybinSession.h"

namespace {

// How often the worker reads the playing position (GStreamer reports it only when asked).
constexpr double idleSeconds = 0.1;

} // namespace

GstPlaybinEngine::GstPlaybinEngine() : WorkerSessionEngine(idleSeconds) {
    // GStreamer's FFmpeg plugin shares FFmpeg's libraries with the first engine's libmpv;
    // once this engine runs, libmpv must no longer be unloaded under it.
    MpvLibrary::keepLoaded();
    GstPlaybinSession::Options options;
    options.certificateAuthorityFile = MediaEngineSettings::certificateAuthorityFile();
    options.audioOutput = MediaEngineSettings::audioOutputEnabled();
    launch(std::make_shared<GstPlaybinSession>(std::move(options), wakeUp()));
}

GstPlaybinEngine::~GstPlaybinEngine() = default;
