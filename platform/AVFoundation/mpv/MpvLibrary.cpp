#include "platform/AVFoundation/mpv/MpvLibrary.h"

#include <dlfcn.h>
#include <malloc.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define ORVEX_LEAK_CHECK 1
#endif
#endif

namespace {

// The file name libmpv's client interface of this major version is installed under.
std::string libraryName() {
    return "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
}

// Libraries of libmpv's that stay once loaded, because unloading them would not give the
// process back what they took, and would take it again with every reload: libgomp keeps
// the threads of OpenMP's pool (which would run on in unmapped code) and what it
// allocates at load; GnuTLS keeps its global state (some 100 KiB, when no other library
// of the process uses it); libsrt keeps an object it allocated at load. (Libraries whose
// unique C++ symbols were bound, such as libx265's and libopenmpt's, are kept by the
// dynamic loader itself.)
constexpr const char* srtLibrary = "libsrt-gnutls.so.1.5";
constexpr const char* residentLibraries[] = {"libgomp.so.1", "libgnutls.so.30", srtLibrary};

bool inProcess(const char* name) {
    void* handle = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    dlclose(handle);
    return true;
}

// libsrt's object allocated at load, which the leak checker is told to pass over, once
// libsrt was loaded on the calling thread. libsrt's static initialiser allocates the
// loading thread's "last error" object (srt::sync::CThreadError's constructor) and keeps
// it only in that thread's specific data. The thread frees it as it ends, unless it ends
// after the process's exit destroyed libsrt's static objects, which delete the key first:
// an engine's worker still finishing as the process ends (see WorkerThread). The leak
// checker would report it, with a stack that names no function: `operator new`, then
// `libsrt-gnutls.so.1.5+0x...` (libsrt has no symbols, and the unwinder stops inside its
// initialiser). No suppression could tell it from any other leak in libsrt; this names
// the one object instead: srt::sync::GetThreadLocalError() returns it on the loading thread.
void passOverSrtLoadTimeObject() {
#ifdef ORVEX_LEAK_CHECK
    void* srt = dlopen(srtLibrary, RTLD_NOW | RTLD_NOLOAD);
    if (srt == nullptr) {
        return;
    }
    using ThreadLocalError = void* (*)();
    if (auto threadLocalError =
            reinterpret_cast<ThreadLocalError>(dlsym(srt, "_ZN3srt4sync19GetThreadLocalErrorEv"))) {
        __lsan_ignore_object(threadLocalError());
    }
    dlclose(srt);
#endif
}

// How long a library nobody holds stays loaded: a player that follows another at once
// (the next title, the next short video) finds it still there.
constexpr std::chrono::milliseconds unloadDelay{500};

// The library while loaded, and the handle of one whose last holder let go and which
// waits for the unloader. A load in that time takes the waiting handle back.
struct LoadState {
    std::mutex mutex;
    std::weak_ptr<const MpvLibrary> library;
    void* waiting = nullptr;
    std::chrono::steady_clock::time_point waitingSince;
    std::condition_variable wake;
    // Runs while a handle waits or is being unloaded, and ends then.
    std::thread unloader;
    bool unloading = false;
};

// Never destroyed: an engine may still let go of the library while the process ends.
LoadState& state() {
    static auto* loadState = new LoadState;
    return *loadState;
}

// Unloads the waiting handle once it has waited `unloadDelay`, on a thread of its own
// (unloading two hundred libraries takes a while, and the last engine often goes on the
// main thread, with the launch video's page), and ends once no handle waits.
void unloadWaiting(LoadState& loadState) {
    std::unique_lock lock(loadState.mutex);
    while (loadState.waiting != nullptr) {
        while (loadState.waiting != nullptr &&
               std::chrono::steady_clock::now() < loadState.waitingSince + unloadDelay) {
            loadState.wake.wait_until(lock, loadState.waitingSince + unloadDelay);
        }
        if (loadState.waiting == nullptr) {
            break;
        }
        void* handle = loadState.waiting;
        loadState.waiting = nullptr;
        lock.unlock();
        dlclose(handle);
        // The library's data and the decoders' buffers are gone: their pages go back to
        // the system instead of waiting in the allocator's heaps.
        malloc_trim(0);
        lock.lock();
    }
    // The last use of the lock: whoever starts the next unloader may join this thread.
    loadState.unloading = false;
}

} // namespace

std::shared_ptr<const MpvLibrary> MpvLibrary::acquire(std::string& error) {
    LoadState& loadState = state();
    std::lock_guard lock(loadState.mutex);
    if (auto library = loadState.library.lock()) {
        return library;
    }
    void* handle = loadState.waiting;
    loadState.waiting = nullptr;
    if (handle == nullptr) {
        const bool srtWasLoaded = inProcess(srtLibrary);
        handle = dlopen(libraryName().c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr && !srtWasLoaded) {
            passOverSrtLoadTimeObject();
        }
    }
    if (handle == nullptr) {
        const char* reason = dlerror();
        error =
            "the media engine's library could not be loaded: " + std::string(reason ? reason : libraryName());
        return nullptr;
    }
    for (const char* name : residentLibraries) {
        dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    std::shared_ptr<MpvLibrary> library(new MpvLibrary);
    library->handle_ = handle;
    bool complete = true;
#define ORVEX_MPV_LOAD(name)                                                                                 \
    library->name = reinterpret_cast<decltype(library->name)>(dlsym(handle, "mpv_" #name));                  \
    complete = complete && library->name != nullptr;
    ORVEX_MPV_FUNCTIONS(ORVEX_MPV_LOAD)
#undef ORVEX_MPV_LOAD
    if (!complete) {
        error = "the media engine's library lacks entry points this player needs";
        return nullptr;
    }
    loadState.library = library;
    return library;
}

bool MpvLibrary::isLoaded() {
    void* handle = dlopen(libraryName().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    dlclose(handle);
    return true;
}

MpvLibrary::~MpvLibrary() {
    LoadState& loadState = state();
    {
        std::lock_guard lock(loadState.mutex);
        if (loadState.waiting != nullptr) {
            // An earlier handle still waits (a load made a new one before it was handed
            // over): the library stays loaded for this one, so it goes at once.
            dlclose(loadState.waiting);
        }
        loadState.waiting = handle_;
        loadState.waitingSince = std::chrono::steady_clock::now();
        if (!loadState.unloading) {
            if (loadState.unloader.joinable()) {
                loadState.unloader.join();
            }
            loadState.unloading = true;
            loadState.unloader = std::thread([&loadState] { unloadWaiting(loadState); });
        }
    }
    loadState.wake.notify_one();
}
