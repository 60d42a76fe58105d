#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

#include <memory>
#include <string>

// libmpv, loaded into the process when the first engine starts, on that engine's thread,
// and kept: libmpv brings more than two hundred libraries with it (every codec, demuxer
// and filter of ffmpeg and their own dependencies), which a process that never plays
// does not pay for. (Unloading it again once the last engine was gone would give an idle
// process some 30 MiB back, but some of those libraries leave the rest of the process
// broken when unloaded: HTTPS downloads started afterwards failed now and then.)
//
// Every mpv call goes through the entry points here.
class MpvLibrary {
public:
    // The library, loaded by the first call; null with `error` set when it cannot be
    // loaded. Callable from any thread.
    static std::shared_ptr<const MpvLibrary> acquire(std::string& error);
    // Whether libmpv is in the process now.
    static bool isLoaded();

    MpvLibrary(const MpvLibrary&) = delete;
    MpvLibrary& operator=(const MpvLibrary&) = delete;

#define ORVEX_MPV_FUNCTIONS(X)                                                                               \
    X(create)                                                                                                \
    X(initialize)                                                                                            \
    X(terminate_destroy)                                                                                     \
    X(set_option_string)                                                                                     \
    X(request_log_messages)                                                                                  \
    X(observe_property)                                                                                      \
    X(set_wakeup_callback)                                                                                   \
    X(wait_event)                                                                                            \
    X(command_async)                                                                                         \
    X(command_node_async)                                                                                    \
    X(set_property_async)                                                                                    \
    X(error_string)                                                                                          \
    X(render_context_create)                                                                                 \
    X(render_context_set_update_callback)                                                                    \
    X(render_context_update)                                                                                 \
    X(render_context_render)                                                                                 \
    X(render_context_free)
#define ORVEX_MPV_DECLARE(name) decltype(&::mpv_##name) name = nullptr;
    ORVEX_MPV_FUNCTIONS(ORVEX_MPV_DECLARE)
#undef ORVEX_MPV_DECLARE

private:
    MpvLibrary() = default;
};
