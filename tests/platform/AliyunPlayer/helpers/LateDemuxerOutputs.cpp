// Linked into a variant of the second engine's helper whose adaptive demuxers have their
// output thread run late, as on a machine too busy to schedule it: every start of a task
// that the demuxer asks for happens some time after it asked. A short stream's segments
// can then all arrive and be parsed before the demuxer has any output.
//
// The program exports its gst_task_start, so that the demuxer's plugin, loaded later,
// calls it rather than GStreamer's.

#include <gst/gst.h>

#include <dlfcn.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr std::chrono::milliseconds lateness{1500};

bool calledFromAdaptiveDemuxer(const void* caller) {
    Dl_info module{};
    return ::dladdr(caller, &module) != 0 && module.dli_fname != nullptr &&
           std::strstr(module.dli_fname, "libgstadaptivedemux2") != nullptr;
}

gboolean startNow(GstTask* task) {
    using Start = gboolean (*)(GstTask*);
    static const auto start = reinterpret_cast<Start>(::dlsym(RTLD_NEXT, "gst_task_start"));
    return start(task);
}

} // namespace

extern "C" gboolean gst_task_start(GstTask* task) {
    if (!calledFromAdaptiveDemuxer(__builtin_return_address(0))) {
        return startNow(task);
    }
    gst_object_ref(task);
    std::thread([task] {
        std::this_thread::sleep_for(lateness);
        startNow(task);
        gst_object_unref(task);
    }).detach();
    return TRUE;
}
