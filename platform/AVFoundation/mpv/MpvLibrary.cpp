#include "platform/AVFoundation/mpv/MpvLibrary.h"

#include <dlfcn.h>
#include <malloc.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// The file name libmpv's client interface of this major version is installed under.
std::string libraryName() {
    return "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
}

// Libraries of libmpv's that must stay once loaded: GnuTLS keeps its global state (some
// 100 KiB, the certificate store among it) to the end of the process and does not give
// it back when unloaded; libgomp keeps the threads of OpenMP's pool, which would run on
// in unmapped code; librabbitmq shares the process's OpenSSL, and once it was unloaded
// the application's later HTTPS downloads (pictures) no longer started.
constexpr const char* residentLibraries[] = {"libgnutls.so.30", "libgomp.so.1", "librabbitmq.so.4"};

std::mutex& loadMutex() {
    static std::mutex mutex;
    return mutex;
}

std::weak_ptr<const MpvLibrary>& loaded() {
    static std::weak_ptr<const MpvLibrary> library;
    return library;
}

// Unloads on a thread of its own: unloading two hundred libraries takes a while, and the
// last engine often goes on the main thread (with the launch video's page). Unloads still
// waiting when the process ends are done before it does.
class Unloader {
public:
    static Unloader& shared() {
        static Unloader unloader;
        return unloader;
    }

    void unload(void* handle) {
        {
            std::lock_guard lock(mutex_);
            handles_.push_back(handle);
            if (!thread_.joinable()) {
                thread_ = std::thread([this] { run(); });
            }
        }
        wake_.notify_one();
    }

    ~Unloader() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    Unloader() = default;

    void run() {
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [this] { return stopping_ || !handles_.empty(); });
            if (handles_.empty()) {
                return;
            }
            void* handle = handles_.front();
            handles_.pop_front();
            lock.unlock();
            dlclose(handle);
            // The decoders' buffers and the library's own data have just been freed: their
            // pages go back to the system instead of waiting in the allocator's heaps.
            malloc_trim(0);
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<void*> handles_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace

std::shared_ptr<const MpvLibrary> MpvLibrary::acquire(std::string& error) {
    std::lock_guard lock(loadMutex());
    if (auto library = loaded().lock()) {
        return library;
    }
    void* handle = dlopen(libraryName().c_str(), RTLD_NOW | RTLD_LOCAL);
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
    loaded() = library;
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
    if (handle_ != nullptr) {
        Unloader::shared().unload(handle_);
    }
}
