#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

#include <memory>
#include <string>

// libmpv, in the process while some engine uses it. libmpv brings more than two hundred
// libraries with it (every codec, demuxer and filter of ffmpeg and their own
// dependencies), some 35 MiB resident once loaded; loading it only while something plays
// and unloading it (on a thread of its own, half a second after the last holder let go)
// keeps that off an idle process (the launch video's engine is gone once the main
// interface shows).
//
// Every mpv call goes through the entry points here; the library stays loaded as long as
// anyone holds it, so a handle or renderer must be freed (and every thread mpv made ended)
// before its holder lets go.
class MpvLibrary {
  public:
    // The loaded library, shared with every other holder; null with `error` set when it
    // cannot be loaded. Callable from any thread.
    static std::shared_ptr<const MpvLibrary> acquire(std::string& error);
    // Whether libmpv is in the process now (an unload finishes shortly after half a second
    // without holders).
    static bool isLoaded();

    ~MpvLibrary();
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

    void* handle_ = nullptr;
};
