#include "platform/AliyunPlayer/helper/GstPlaybinSession.h"

#include <gio/gio.h>
#include <gst/app/gstappsink.h>
#include <gst/base/gsttypefindhelper.h>
#include <gst/video/video.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// playbin's "flags": video, audio and software volume; no subtitles, no visualisation.
constexpr guint playVideo = 0x1;
constexpr guint playAudio = 0x2;
constexpr guint playSoftVolume = 0x10;

// A load that has not become ready by then has failed (a demuxer that refuses a
// segment address may stay silent rather than report an error).
constexpr std::chrono::seconds loadTimeout{30};

// How far before the start position a load may stand when it becomes ready (an accurate
// seek lands on it; a position a segment early means the seek has not landed), and how
// often the seek is sent again when the pipeline settled elsewhere.
constexpr double startPositionTolerance = 0.5;
constexpr int maximumStartSeekRetries = 2;
// How often a refused start seek is sent again, and for how long.
constexpr std::chrono::milliseconds startSeekInterval{200};
constexpr std::chrono::seconds startSeekPatience{5};

std::string& initialisationError() {
    static std::string error;
    return error;
}

// The elements a playback of an HLS or progressive stream is made of. GStreamer loads a
// plugin (FFmpeg's codecs among them) and sets its classes up the first time one of its
// elements is made; a helper makes each once as it starts, while it waits for its load,
// so that the load's elements come up at once and its first picture comes sooner.
constexpr const char* warmElements[] = {
    "playbin3",  "uridecodebin3", "urisourcebin",  "decodebin3",    "parsebin",     "typefind",
    "queue2",    "multiqueue",    "souphttpsrc",   "hlsdemux2",     "tsdemux",      "qtdemux",
    "h264parse", "avdec_h264",    "aacparse",      "avdec_aac",     "videoconvert", "appsink",
    "volume",    "audioconvert",  "audioresample", "autoaudiosink", "fakesink",
};

void warmUp() {
    for (const char* name : warmElements) {
        if (GstElement* element = gst_element_factory_make(name, nullptr)) {
            gst_object_unref(element);
        }
    }
    // Finding a stream's type asks every type finder, each loading its plugin the first
    // time: asked once here, about the start of an MPEG transport stream.
    std::vector<guint8> transportStream(188 * 4, 0xff);
    for (std::size_t packet = 0; packet < transportStream.size(); packet += 188) {
        transportStream[packet] = 0x47;
    }
    if (GstCaps* caps =
            gst_type_find_helper_for_data(nullptr, transportStream.data(), transportStream.size(), nullptr)) {
        gst_caps_unref(caps);
    }
}

void initialiseGStreamer() {
    static std::once_flag once;
    std::call_once(once, [] {
        GError* error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) {
            initialisationError() =
                std::string("GStreamer could not start: ") + (error ? error->message : "");
            g_clear_error(&error);
            return;
        }
        // The legacy HLS demuxer follows file:// segment addresses found in a network
        // playlist; only its successor may open playlists.
        if (GstPluginFeature* legacy = gst_registry_lookup_feature(gst_registry_get(), "hlsdemux")) {
            gst_plugin_feature_set_rank(legacy, GST_RANK_NONE);
            gst_object_unref(legacy);
        }
        warmUp();
    });
}

GstClockTime clockTime(double seconds) {
    return static_cast<GstClockTime>(std::max(0.0, seconds) * static_cast<double>(GST_SECOND));
}

double seconds(gint64 time) {
    return static_cast<double>(time) / static_cast<double>(GST_SECOND);
}

} // namespace

struct GstPlaybinSession::PictureSink {
    std::uint64_t generation = 0;
    PictureHandler handler;
    std::atomic<int> width{0};
    std::atomic<int> height{0};

    static GstFlowReturn preroll(GstAppSink* sink, gpointer context) {
        return static_cast<PictureSink*>(context)->take(gst_app_sink_pull_preroll(sink));
    }
    static GstFlowReturn sample(GstAppSink* sink, gpointer context) {
        return static_cast<PictureSink*>(context)->take(gst_app_sink_pull_sample(sink));
    }

    GstFlowReturn take(GstSample* sample) {
        if (sample == nullptr) {
            return GST_FLOW_OK;
        }
        GstVideoInfo info;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstCaps* caps = gst_sample_get_caps(sample);
        if (buffer != nullptr && caps != nullptr && gst_video_info_from_caps(&info, caps)) {
            hand(info, buffer);
        }
        gst_sample_unref(sample);
        return GST_FLOW_OK;
    }

    void hand(GstVideoInfo& info, GstBuffer* buffer) {
        GstVideoFrame mapped;
        if (!gst_video_frame_map(&mapped, &info, buffer, GST_MAP_READ)) {
            return;
        }
        const int frameWidth = GST_VIDEO_INFO_WIDTH(&info);
        const int frameHeight = GST_VIDEO_INFO_HEIGHT(&info);
        const int aspectNumerator = std::max(1, GST_VIDEO_INFO_PAR_N(&info));
        const int aspectDenominator = std::max(1, GST_VIDEO_INFO_PAR_D(&info));
        width = static_cast<int>(
            std::lround(static_cast<double>(frameWidth) * aspectNumerator / aspectDenominator));
        height = frameHeight;
        handler(generation, frameWidth, frameHeight,
                static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, 0)),
                static_cast<std::size_t>(GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, 0)));
        gst_video_frame_unmap(&mapped);
    }
};

GstPlaybinSession::GstPlaybinSession(Options options, std::function<void()> wakeUp, PictureHandler pictures)
    : options_(std::move(options)), wakeUp_(std::move(wakeUp)), pictureHandler_(std::move(pictures)) {}

GstPlaybinSession::~GstPlaybinSession() = default;

void GstPlaybinSession::start() {
    initialiseGStreamer();
    startError_ = initialisationError();
}

bool GstPlaybinSession::buildPipeline(const MediaRequest& request) {
    pipeline_ = gst_element_factory_make("playbin3", nullptr);
    GstElement* videoSink = gst_element_factory_make("appsink", nullptr);
    if (pipeline_ == nullptr || videoSink == nullptr) {
        if (videoSink != nullptr) {
            gst_object_unref(videoSink);
        }
        if (pipeline_ != nullptr) {
            gst_object_unref(pipeline_);
            pipeline_ = nullptr;
        }
        return false;
    }
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(videoSink, "caps", caps, "sync", TRUE, "max-buffers", 2u, "drop", TRUE, nullptr);
    gst_caps_unref(caps);
    pictures_ = std::make_unique<PictureSink>();
    pictures_->generation = generation_;
    pictures_->handler = pictureHandler_;
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &PictureSink::preroll;
    callbacks.new_sample = &PictureSink::sample;
    gst_app_sink_set_callbacks(GST_APP_SINK(videoSink), &callbacks, pictures_.get(), nullptr);

    g_object_set(pipeline_, "uri", request.url.c_str(), "video-sink", videoSink, "flags",
                 playVideo | playAudio | playSoftVolume, "volume", volume_, "mute", muted_ ? TRUE : FALSE,
                 nullptr);
    if (!options_.audioOutput) {
        if (GstElement* audioSink = gst_element_factory_make("fakesink", nullptr)) {
            g_object_set(audioSink, "sync", TRUE, nullptr);
            g_object_set(pipeline_, "audio-sink", audioSink, nullptr);
        }
    }
    // The HTTP source of the first request gets the header fields, the user agent and
    // the certificate bundle; the HLS demuxer copies the user agent to its own requests.
    g_signal_connect(pipeline_, "source-setup",
                     G_CALLBACK(+[](GstElement*, GstElement* source, gpointer context) {
                         static_cast<GstPlaybinSession*>(context)->configureSource(source);
                     }),
                     this);
    demuxerGate_ = std::make_unique<AdaptiveDemuxerGate>(pipeline_);
    bus_ = gst_element_get_bus(pipeline_);
    // Streaming threads post messages: each wakes the loop, which handles them.
    gst_bus_set_sync_handler(
        bus_,
        [](GstBus*, GstMessage*, gpointer context) {
            (*static_cast<const std::function<void()>*>(context))();
            return GST_BUS_PASS;
        },
        &wakeUp_, nullptr);
    return true;
}

void GstPlaybinSession::configureSource(GstElement* source) {
    GObjectClass* type = G_OBJECT_GET_CLASS(source);
    if (!request_.userAgent.empty() && g_object_class_find_property(type, "user-agent") != nullptr) {
        g_object_set(source, "user-agent", request_.userAgent.c_str(), nullptr);
    }
    if (!request_.headerFields.empty() && g_object_class_find_property(type, "extra-headers") != nullptr) {
        GstStructure* headers = gst_structure_new_empty("extra-headers");
        for (const auto& [name, value] : request_.headerFields) {
            gst_structure_set(headers, name.c_str(), G_TYPE_STRING, value.c_str(), nullptr);
        }
        g_object_set(source, "extra-headers", headers, nullptr);
        gst_structure_free(headers);
    }
    if (!options_.certificateAuthorityFile.empty() &&
        g_object_class_find_property(type, "tls-database") != nullptr) {
        GError* error = nullptr;
        GTlsDatabase* database = g_tls_file_database_new(options_.certificateAuthorityFile.c_str(), &error);
        if (database != nullptr) {
            g_object_set(source, "tls-database", database, nullptr);
            g_object_unref(database);
        }
        g_clear_error(&error);
    }
    if (g_object_class_find_property(type, "ssl-strict") != nullptr) {
        g_object_set(source, "ssl-strict", TRUE, nullptr);
    }
}

void GstPlaybinSession::load(std::uint64_t generation, const MediaRequest& request, bool paused) {
    if (pipeline_ != nullptr || finished_) {
        return; // one pipeline a helper
    }
    generation_ = generation;
    request_ = request;
    paused_ = paused;
    prerolled_ = false;
    startSeek_ = StartSeek::None;
    startSeekRetries_ = 0;
    rateSeekPending_ = false;
    bufferingMessage_ = false;
    loadStarted_ = std::chrono::steady_clock::now();
    state_ = MediaEngineState{};
    state_.phase = MediaEnginePhase::Loading;
    state_.position = request.startPosition;
    if (!startError_.empty()) {
        fail(startError_);
        return;
    }
    if (!buildPipeline(request)) {
        fail("GStreamer's playbin3 is not installed");
        return;
    }
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        fail("the media could not be opened");
    }
}

void GstPlaybinSession::setPaused(bool paused) {
    paused_ = paused;
    applyPlayState();
}

void GstPlaybinSession::setRate(double rate) {
    rate_ = rate;
    if (pipeline_ != nullptr && state_.phase == MediaEnginePhase::Ready && report_.seekId() == 0) {
        readPosition();
        rateSeekPending_ = seekPipeline(state_.position);
    }
}

void GstPlaybinSession::setVolume(double volume, bool muted) {
    volume_ = volume;
    muted_ = muted;
    if (pipeline_ != nullptr) {
        g_object_set(pipeline_, "volume", volume, "mute", muted ? TRUE : FALSE, nullptr);
    }
}

void GstPlaybinSession::seek(std::uint64_t generation, std::uint64_t seekId, double target) {
    report_.endSeek(false);
    // From here on the main thread hears only states of the seek's generation: send one
    // at the next step even if nothing else changed. Pictures keep the load's generation.
    generation_ = generation;
    report_.resendState();
    if (pipeline_ == nullptr || state_.phase != MediaEnginePhase::Ready) {
        report_.refuseSeek(seekId);
        return;
    }
    if (!seekPipeline(target)) {
        report_.refuseSeek(seekId);
        return;
    }
    report_.beginSeek(seekId);
    rateSeekPending_ = false;
    state_.ended = false;
    state_.position = target;
    applyPlayState();
}

bool GstPlaybinSession::seekPipeline(double target) {
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    return gst_element_seek(pipeline_, rate_, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                            static_cast<gint64>(clockTime(target)), GST_SEEK_TYPE_NONE, 0) == TRUE;
}

void GstPlaybinSession::applyPlayState() {
    if (pipeline_ == nullptr || state_.phase != MediaEnginePhase::Ready) {
        return;
    }
    gst_element_set_state(pipeline_, paused_ ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

void GstPlaybinSession::step() {
    if (pipeline_ == nullptr || finished_) {
        publish();
        return;
    }
    if (startSeek_ == StartSeek::Wanted && state_.phase == MediaEnginePhase::Loading) {
        // The pipeline refused the start seek (a stream not ready for it yet): it is sent
        // again now and then, and after a while the load is ready where it stands.
        const auto now = std::chrono::steady_clock::now();
        if (now - prerolledAt_ > startSeekPatience) {
            startSeek_ = StartSeek::None;
            becomeReady();
        } else if (now - startSeekSentAt_ > startSeekInterval) {
            sendStartSeek();
        }
    }
    while (GstMessage* message = gst_bus_pop(bus_)) {
        handle(message);
        gst_message_unref(message);
        if (finished_) {
            break;
        }
    }
    if (state_.phase == MediaEnginePhase::Loading &&
        std::chrono::steady_clock::now() - loadStarted_ > loadTimeout) {
        fail("the media did not open in time");
    }
    if (state_.phase == MediaEnginePhase::Ready) {
        readPosition();
    }
    publish();
}

void GstPlaybinSession::handle(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        fail(error != nullptr ? error->message : "the media could not be played");
        g_clear_error(&error);
        break;
    }
    case GST_MESSAGE_EOS:
        if (state_.phase == MediaEnginePhase::Ready) {
            state_.ended = true;
            if (state_.duration > 0) {
                state_.position = state_.duration;
            }
        } else {
            fail("the media has nothing to play");
        }
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_)) {
            handleAsyncDone();
        }
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        bufferingMessage_ = percent < 100;
        break;
    }
    case GST_MESSAGE_DURATION_CHANGED:
        state_.duration = 0;
        break;
    default:
        break;
    }
}

void GstPlaybinSession::handleAsyncDone() {
    if (state_.phase == MediaEnginePhase::Failed) {
        return;
    }
    if (!prerolled_) {
        prerolled_ = true;
        prerolledAt_ = std::chrono::steady_clock::now();
        if (request_.startPosition > 0 || rate_ != 1) {
            sendStartSeek();
            return;
        }
        becomeReady();
        return;
    }
    if (startSeek_ == StartSeek::Sent) {
        // The pipeline may settle for other reasons before the seek lands (a stream
        // exposed late, on a busy machine): ready only where the title was to start.
        if (standsAtStartPosition() || startSeekRetries_ == maximumStartSeekRetries) {
            startSeek_ = StartSeek::None;
            becomeReady();
        } else {
            ++startSeekRetries_;
            sendStartSeek();
        }
        return;
    }
    if (rateSeekPending_) {
        rateSeekPending_ = false;
        return;
    }
    report_.endSeek(true);
}

void GstPlaybinSession::sendStartSeek() {
    startSeekSentAt_ = std::chrono::steady_clock::now();
    if (seekPipeline(request_.startPosition)) {
        startSeek_ = StartSeek::Sent;
        return;
    }
    // playbin answers false when one of its streams refused the seek though the others
    // took it: those flush, and the pipeline settles again where they landed.
    GstState state = GST_STATE_VOID_PENDING;
    GstState pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(pipeline_, &state, &pending, 0);
    startSeek_ = pending != GST_STATE_VOID_PENDING ? StartSeek::Sent : StartSeek::Wanted;
}

bool GstPlaybinSession::standsAtStartPosition() {
    gint64 position = 0;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position) || position < 0) {
        return true; // nothing says otherwise
    }
    // A start at (or past) the end lands wherever the media ends.
    gint64 duration = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration > 0 &&
        request_.startPosition > seconds(duration) - 1) {
        return true;
    }
    return seconds(position) > request_.startPosition - startPositionTolerance;
}

void GstPlaybinSession::becomeReady() {
    state_.phase = MediaEnginePhase::Ready;
    readPosition();
    applyPlayState();
}

void GstPlaybinSession::readPosition() {
    gint64 time = 0;
    if (state_.duration <= 0 && gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &time) && time > 0) {
        state_.duration = seconds(time);
    }
    if (!state_.ended && report_.seekId() == 0 &&
        gst_element_query_position(pipeline_, GST_FORMAT_TIME, &time) && time >= 0) {
        state_.position = seconds(time);
    }
    GstQuery* buffering = gst_query_new_buffering(GST_FORMAT_TIME);
    if (gst_element_query(pipeline_, buffering)) {
        gint64 stop = -1;
        gst_query_parse_buffering_range(buffering, nullptr, nullptr, &stop, nullptr);
        if (stop > 0) {
            state_.bufferedPosition = seconds(stop);
        }
    }
    gst_query_unref(buffering);
    if (state_.bufferedPosition < state_.position) {
        state_.bufferedPosition = state_.position;
    }
    if (pictures_) {
        state_.presentationWidth = pictures_->width;
        state_.presentationHeight = pictures_->height;
    }
}

void GstPlaybinSession::fail(const std::string& reason) {
    report_.endSeek(false);
    markFailed(state_, reason);
    // The pipeline is never stopped here: the helper ends once the failure is reported.
    finished_ = true;
}

void GstPlaybinSession::publish() {
    // Before its load a helper has nothing to report, and no generation to report it under.
    if (generation_ == 0) {
        return;
    }
    updateBuffering(state_, paused_, bufferingMessage_);
    report_.sendState(generation_, state_);
}
