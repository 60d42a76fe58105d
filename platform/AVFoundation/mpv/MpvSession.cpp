#include "platform/AVFoundation/mpv/MpvSession.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace {

// Reply tags: the low two bits tell what a command was, the rest its number.
constexpr std::uint64_t loadTag = 1;
constexpr std::uint64_t seekTag = 2;
constexpr std::uint64_t tagBits = 2;

// Pictures are drawn no larger than this; the view scales them.
constexpr int maximumFrameWidth = 1920;
constexpr int maximumFrameHeight = 1080;
// The side of the scratch picture taken while the real size is not yet known.
constexpr int provisionalSide = 16;

// Observed properties, told apart by their reply number.
enum Observed : std::uint64_t {
    TimePos = 1,
    Duration,
    PausedForCache,
    EofReached,
    CacheTime,
    DisplayWidth,
    DisplayHeight,
};

// An option list value for mpv's string-list options: commas and backslashes escaped.
std::string escapedListItem(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == ',' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

// A node map for mpv_command_node, built from texts that outlive the call.
class NodeMap {
  public:
    // `value` must outlive the command call.
    void add(const char* key, const char* value) {
        keys_.push_back(const_cast<char*>(key));
        mpv_node node{};
        node.format = MPV_FORMAT_STRING;
        node.u.string = const_cast<char*>(value);
        values_.push_back(node);
    }
    void add(const char* key, const std::string& value) { add(key, value.c_str()); }
    void add(const char*, std::string&&) = delete;
    void addMap(const char* key, NodeMap& map) {
        keys_.push_back(const_cast<char*>(key));
        values_.push_back(map.node());
    }
    mpv_node node() {
        list_.num = static_cast<int>(values_.size());
        list_.values = values_.data();
        list_.keys = keys_.data();
        mpv_node node{};
        node.format = MPV_FORMAT_NODE_MAP;
        node.u.list = &list_;
        return node;
    }

  private:
    std::vector<char*> keys_;
    std::vector<mpv_node> values_;
    mpv_node_list list_{};
};

std::string decimal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

} // namespace

MpvSession::MpvSession(Options options, std::function<void()> wakeUp, std::shared_ptr<MpvPictureLink> link,
                       std::function<void(mpv_handle*)> started)
    : options_(std::move(options)), wakeUp_(std::move(wakeUp)), link_(std::move(link)),
      started_(std::move(started)) {}

std::vector<std::pair<const char*, std::string>> MpvSession::startSettings(const Options& options) {
    std::vector<std::pair<const char*, std::string>> settings = {
        {"vo", "libmpv"},
        {"ao", options.audioOutput ? "pulse,alsa,null" : "null"},
        {"config", "no"},
        {"terminal", "no"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"cover-art-auto", "no"},
        {"load-unsafe-playlists", "no"},
        {"demuxer", "lavf"},
        {"demuxer-lavf-o", "extension_picky=0"},
        {"hwdec", "no"},
        {"keep-open", "yes"},
        {"idle", "yes"},
        {"pause", "yes"},
        {"network-timeout", "20"},
        {"tls-verify", "yes"},
    };
    if (options.picturesInTextures) {
        // The main thread renders without waiting for a picture's display time, so mpv
        // hands pictures over when they are due; no hardware decoder interop is probed
        // (it writes to standard error on machines without one).
        settings.emplace_back("video-timing-offset", "0");
        settings.emplace_back("gpu-hwdec-interop", "no");
    }
    return settings;
}

void MpvSession::start() {
    mpv_ = MpvLibrary::acquire(startError_);
    if (!mpv_) {
        return;
    }
    handle_ = mpv_->create();
    if (handle_ == nullptr) {
        startError_ = "the media engine could not be created";
        return;
    }
    for (const auto& [name, value] : startSettings(options_)) {
        if (mpv_->set_option_string(handle_, name, value.c_str()) < 0) {
            startError_ = std::string("the media engine refused the setting ") + name;
        }
    }
    if (!options_.certificateAuthorityFile.empty() &&
        mpv_->set_option_string(handle_, "tls-ca-file", options_.certificateAuthorityFile.c_str()) < 0) {
        startError_ = "the media engine refused the certificate bundle";
    }
    if (!startError_.empty() || mpv_->initialize(handle_) < 0) {
        if (startError_.empty()) {
            startError_ = "the media engine could not start";
        }
        mpv_->terminate_destroy(handle_);
        handle_ = nullptr;
        return;
    }
    mpv_->request_log_messages(handle_, "error");
    mpv_->observe_property(handle_, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_->observe_property(handle_, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_->observe_property(handle_, PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_->observe_property(handle_, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_->observe_property(handle_, CacheTime, "demuxer-cache-time", MPV_FORMAT_DOUBLE);
    mpv_->observe_property(handle_, DisplayWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_->observe_property(handle_, DisplayHeight, "dheight", MPV_FORMAT_INT64);
    mpv_->set_wakeup_callback(
        handle_, [](void* context) { static_cast<MpvSession*>(context)->wakeUp_(); }, this);

    if (options_.picturesInTextures) {
        started_(handle_);
        return;
    }
    if (!createSoftwareRenderer()) {
        mpv_->terminate_destroy(handle_);
        handle_ = nullptr;
        return;
    }
    rendererReady_ = true;
}

bool MpvSession::createSoftwareRenderer() {
    char softwareApi[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param parameters[] = {
        {MPV_RENDER_PARAM_API_TYPE, softwareApi},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_->render_context_create(&renderer_, handle_, parameters) < 0) {
        renderer_ = nullptr;
        startError_ = "the media engine's picture renderer could not start";
        return false;
    }
    mpv_->render_context_set_update_callback(
        renderer_,
        [](void* context) {
            auto* session = static_cast<MpvSession*>(context);
            session->renderWanted_ = true;
            session->wakeUp_();
        },
        this);
    return true;
}

void MpvSession::rendererReady() {
    rendererReady_ = true;
    if (loadHeld_) {
        loadHeld_ = false;
        sendLoad(request_);
    }
}

void MpvSession::useSoftwareRenderer() {
    if (handle_ == nullptr || renderer_ != nullptr) {
        return;
    }
    options_.picturesInTextures = false;
    link_->generation = 0;
    if (!createSoftwareRenderer()) {
        rendererReady_ = false;
        if (loadHeld_) {
            loadHeld_ = false;
            fail(startError_);
        }
        return;
    }
    rendererReady();
}

void MpvSession::finish() {
    if (renderer_ != nullptr) {
        mpv_->render_context_free(renderer_);
        renderer_ = nullptr;
    }
    if (handle_ != nullptr) {
        mpv_->terminate_destroy(handle_);
        handle_ = nullptr;
        // The decoders' buffers have just been freed: their pages go back to the system
        // instead of waiting in the allocator's heaps.
        malloc_trim(0);
    }
}

void MpvSession::step() {
    if (handle_ == nullptr) {
        publish();
        return;
    }
    for (;;) {
        const mpv_event* event = mpv_->wait_event(handle_, 0);
        if (event->event_id == MPV_EVENT_NONE) {
            break;
        }
        handle(*event);
    }
    const bool sizeKnown = mirroredWidth_ > 0 && mirroredHeight_ > 0;
    if (renderWanted_.exchange(false) || framePending_ || (redrawPending_ && sizeKnown)) {
        render();
    }
    publish();
}

void MpvSession::load(std::uint64_t generation, const MediaRequest& request, bool paused) {
    endSeek(false);
    generation_ = generation;
    entryId_ = -1;
    entryActive_ = false;
    followRedirect_ = false;
    pausedForCache_ = false;
    eofReached_ = false;
    lastError_.clear();
    state_ = MediaEngineState{};
    state_.phase = MediaEnginePhase::Loading;
    state_.position = request.startPosition;
    paused_ = paused;
    if (handle_ == nullptr) {
        fail(startError_);
        return;
    }
    request_ = request;
    reopening_ = false;
    loadHeld_ = !rendererReady_;
    if (!loadHeld_) {
        sendLoad(request);
    }
}

void MpvSession::sendLoad(const MediaRequest& request) {
    setFlag("pause", paused_);
    std::string headerList;
    for (const auto& [name, value] : request.headerFields) {
        headerList += (headerList.empty() ? "" : ",") + escapedListItem(name + ": " + value);
    }
    const std::string start = decimal(request.startPosition);
    NodeMap options;
    if (request.startPosition > 0) {
        options.add("start", start);
    }
    if (!request.userAgent.empty()) {
        options.add("user-agent", request.userAgent);
    }
    if (!headerList.empty()) {
        options.add("http-header-fields", headerList);
    }
    NodeMap command;
    command.add("name", "loadfile");
    command.add("url", request.url);
    command.add("flags", "replace");
    command.addMap("options", options);
    mpv_node node = command.node();
    mpv_->command_node_async(handle_, generation_ << tagBits | loadTag, &node);
}

void MpvSession::stop(std::uint64_t generation) {
    endSeek(false);
    loadHeld_ = false;
    generation_ = generation;
    entryId_ = -1;
    entryActive_ = false;
    state_ = MediaEngineState{};
    if (handle_ != nullptr) {
        const char* command[] = {"stop", nullptr};
        mpv_->command_async(handle_, 0, command);
    }
}

void MpvSession::setPaused(bool paused) {
    paused_ = paused;
    setFlag("pause", paused);
}

void MpvSession::setRate(double rate) {
    setDouble("speed", rate);
}

void MpvSession::setVolume(double volume, bool muted) {
    setDouble("volume", volume * 100);
    setFlag("mute", muted);
}

void MpvSession::seek(std::uint64_t generation, std::uint64_t seekId, double seconds) {
    endSeek(false);
    // From here on the main thread hears only states of the seek's generation: send one
    // at the next step even if nothing else changed.
    generation_ = generation;
    report_.resendState();
    if (handle_ == nullptr || state_.phase != MediaEnginePhase::Ready) {
        report_.refuseSeek(seekId);
        return;
    }
    report_.beginSeek(seekId);
    seekAcknowledged_ = false;
    state_.ended = false;
    state_.position = seconds;
    if (!entryActive_ || eofReached_) {
        // mpv let go of a file that played to its end, or kept it open at its end, where
        // lavf's HLS demuxer refuses every seek (playback would end again at once): open
        // it again at the target.
        MediaRequest again = request_;
        again.startPosition = seconds;
        reopening_ = true;
        eofReached_ = false;
        sendLoad(again);
        return;
    }
    const std::string target = decimal(seconds);
    const char* command[] = {"seek", target.c_str(), "absolute", nullptr};
    mpv_->command_async(handle_, seekId << tagBits | seekTag, command);
    // Playing to the end paused mpv; the caller's wish holds again after a seek.
    setFlag("pause", paused_);
}

void MpvSession::handle(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        handleReply(event);
        break;
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        if (start->playlist_entry_id == entryId_ || (followRedirect_ && entryId_ >= 0)) {
            entryId_ = start->playlist_entry_id;
            entryActive_ = true;
            followRedirect_ = false;
        }
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (entryActive_ && state_.phase == MediaEnginePhase::Loading) {
            state_.phase = MediaEnginePhase::Ready;
            adoptMediaFacts();
        }
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(*static_cast<const mpv_event_end_file*>(event.data));
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (report_.seekId() != 0 && seekAcknowledged_) {
            endSeek(true);
            state_.ended = eofReached_;
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handleProperty(*static_cast<const mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        std::string text = message->text;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
            text.pop_back();
        }
        if (!text.empty()) {
            lastError_ = text;
        }
        break;
    }
    default:
        break;
    }
}

void MpvSession::handleReply(const mpv_event& event) {
    const std::uint64_t tag = event.reply_userdata & ((1u << tagBits) - 1);
    const std::uint64_t number = event.reply_userdata >> tagBits;
    if (tag == loadTag && number == generation_) {
        if (event.error < 0) {
            fail(mpv_->error_string(event.error));
            return;
        }
        if (reopening_) {
            reopening_ = false;
            seekAcknowledged_ = report_.seekId() != 0;
            state_.ended = false;
        }
        const auto* reply = static_cast<const mpv_event_command*>(event.data);
        if (reply->result.format == MPV_FORMAT_NODE_MAP) {
            const mpv_node_list* list = reply->result.u.list;
            for (int i = 0; i < list->num; ++i) {
                if (std::strcmp(list->keys[i], "playlist_entry_id") == 0 &&
                    list->values[i].format == MPV_FORMAT_INT64) {
                    entryId_ = list->values[i].u.int64;
                }
            }
        }
    } else if (tag == seekTag && number == report_.seekId()) {
        if (event.error < 0) {
            endSeek(false);
        } else {
            seekAcknowledged_ = true;
        }
    }
}

void MpvSession::handleEndFile(const mpv_event_end_file& end) {
    if (end.playlist_entry_id != entryId_ || entryId_ < 0) {
        return;
    }
    switch (end.reason) {
    case MPV_END_FILE_REASON_ERROR: {
        std::string reason = mpv_->error_string(end.error);
        if (!lastError_.empty()) {
            reason += ": " + lastError_;
        }
        entryActive_ = false;
        fail(reason);
        break;
    }
    case MPV_END_FILE_REASON_EOF:
        entryActive_ = false;
        if (state_.phase == MediaEnginePhase::Ready) {
            state_.ended = true;
            state_.buffering = false;
        } else {
            fail(lastError_.empty() ? "the media has nothing to play" : lastError_);
        }
        break;
    case MPV_END_FILE_REASON_REDIRECT:
        followRedirect_ = true;
        entryActive_ = false;
        break;
    default:
        entryActive_ = false;
        break;
    }
}

void MpvSession::handleProperty(const mpv_event_property& property) {
    const bool present = property.format != MPV_FORMAT_NONE && property.data != nullptr;
    const double number =
        present && property.format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(property.data) : 0;
    const bool flag = present && property.format == MPV_FORMAT_FLAG && *static_cast<int*>(property.data) != 0;
    const std::int64_t integer =
        present && property.format == MPV_FORMAT_INT64 ? *static_cast<std::int64_t*>(property.data) : 0;
    const bool finite = std::isfinite(number);
    if (std::strcmp(property.name, "duration") == 0) {
        mirroredDuration_ = present && finite && number > 0 ? number : 0;
    } else if (std::strcmp(property.name, "dwidth") == 0) {
        mirroredWidth_ = static_cast<int>(integer);
        shareVideoSize();
    } else if (std::strcmp(property.name, "dheight") == 0) {
        mirroredHeight_ = static_cast<int>(integer);
        shareVideoSize();
    }
    if (!entryActive_) {
        return;
    }
    // While a seek is in flight, mpv may still report the position and the end of where
    // it was before: the position stays at the seek's target and the end stays cleared
    // until playback restarts at the target.
    if (std::strcmp(property.name, "time-pos") == 0) {
        if (present && finite && report_.seekId() == 0) {
            state_.position = std::max(0.0, number);
        }
    } else if (std::strcmp(property.name, "paused-for-cache") == 0) {
        pausedForCache_ = flag;
    } else if (std::strcmp(property.name, "eof-reached") == 0) {
        eofReached_ = flag;
        if (report_.seekId() == 0) {
            state_.ended = flag;
        }
    } else if (std::strcmp(property.name, "demuxer-cache-time") == 0) {
        if (present && finite) {
            state_.bufferedPosition = std::max(0.0, number);
        }
    } else {
        adoptMediaFacts();
    }
}

void MpvSession::shareVideoSize() {
    link_->width = mirroredWidth_;
    link_->height = mirroredHeight_;
    if (options_.picturesInTextures && mirroredWidth_ > 0 && mirroredHeight_ > 0) {
        // A picture taken before its size was known is drawn again at that size.
        link_->requestRender();
    }
}

// mpv reports an observed property only when its value changes, so a new file whose
// duration or size equals the previous one's would never report them: the session keeps
// mpv's current values whatever is loaded and hands them to each new file.
//
// Opening a media again at a seek's target passes through unknown values: a media that is
// ready keeps what it knew until mpv knows the values again.
void MpvSession::adoptMediaFacts() {
    const bool ready = state_.phase == MediaEnginePhase::Ready;
    if (!ready || mirroredDuration_ > 0) {
        state_.duration = mirroredDuration_;
    }
    if (!ready || (mirroredWidth_ > 0 && mirroredHeight_ > 0)) {
        state_.presentationWidth = mirroredWidth_;
        state_.presentationHeight = mirroredHeight_;
    }
}

// Never asks mpv anything synchronously: mpv's video output waits for this thread to
// render, and mpv's core may wait for its video output in turn.
void MpvSession::render() {
    if (renderer_ == nullptr) {
        return;
    }
    if ((mpv_->render_context_update(renderer_) & MPV_RENDER_UPDATE_FRAME) != 0) {
        framePending_ = true;
    }
    if (!framePending_ && !redrawPending_) {
        return;
    }
    if (mirroredWidth_ <= 0 || mirroredHeight_ <= 0) {
        // The picture's size is reported by mpv's core, which may be waiting for this
        // very picture to be taken: take it into a scratch frame now and draw it again
        // once the size is known.
        if (framePending_ && draw(provisionalSide, provisionalSide)) {
            framePending_ = false;
            redrawPending_ = true;
        }
        return;
    }
    const double scale = std::min({1.0, static_cast<double>(maximumFrameWidth) / mirroredWidth_,
                                   static_cast<double>(maximumFrameHeight) / mirroredHeight_});
    const int width = std::max(1, static_cast<int>(std::lround(mirroredWidth_ * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(mirroredHeight_ * scale)));
    if (auto frame = draw(width, height)) {
        framePending_ = false;
        redrawPending_ = false;
        if (entryActive_) {
            report_.sendFrame(generation_, std::move(frame));
        }
    }
}

std::shared_ptr<VideoFrame> MpvSession::draw(int width, int height) {
    auto frame = frames_.frame(width, height);
    if (!frame) {
        return nullptr;
    }
    int size[2] = {width, height};
    char format[] = "bgr0";
    std::size_t stride = frame->stride();
    mpv_render_param parameters[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},      {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride}, {MPV_RENDER_PARAM_SW_POINTER, frame->pixels()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    cairo_surface_flush(frame->surface());
    if (mpv_->render_context_render(renderer_, parameters) < 0) {
        return nullptr;
    }
    cairo_surface_mark_dirty(frame->surface());
    return frame;
}

void MpvSession::fail(const std::string& reason) {
    endSeek(false);
    markFailed(state_, reason);
}

void MpvSession::publish() {
    link_->generation = entryActive_ ? generation_ : 0;
    updateBuffering(state_, paused_, pausedForCache_);
    report_.sendState(generation_, state_);
}

void MpvSession::endSeek(bool finished) {
    report_.endSeek(finished);
    seekAcknowledged_ = false;
}

void MpvSession::setFlag(const char* name, bool value) {
    if (handle_ == nullptr) {
        return;
    }
    int flag = value ? 1 : 0;
    mpv_->set_property_async(handle_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void MpvSession::setDouble(const char* name, double value) {
    if (handle_ == nullptr) {
        return;
    }
    mpv_->set_property_async(handle_, 0, name, MPV_FORMAT_DOUBLE, &value);
}
