#include "platform/AliyunPlayer/GstPlaybinEngine.h"

#include "platform/AliyunPlayer/GstPlaybinSession.h"

namespace {

// How often the worker reads the playing position (GStreamer reports it only when asked).
constexpr double idleSeconds = 0.1;

} // namespace

GstPlaybinEngine::GstPlaybinEngine() : WorkerSessionEngine(idleSeconds) {
    GstPlaybinSession::Options options;
    options.certificateAuthorityFile = MediaEngineSettings::certificateAuthorityFile();
    options.audioOutput = MediaEngineSettings::audioOutputEnabled();
    launch(std::make_shared<GstPlaybinSession>(std::move(options), wakeUp()));
}

GstPlaybinEngine::~GstPlaybinEngine() = default;
