#include "platform/AVFoundation/mpv/MpvLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace {

// The file name libmpv's client interface of this major version is installed under.
std::string libraryName() {
    return "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
}

std::mutex& loadMutex() {
    static std::mutex mutex;
    return mutex;
}

// Never let go: the library stays to the end of the process.
std::shared_ptr<const MpvLibrary>& loaded() {
    static auto* library = new std::shared_ptr<const MpvLibrary>();
    return *library;
}

} // namespace

std::shared_ptr<const MpvLibrary> MpvLibrary::acquire(std::string& error) {
    std::lock_guard lock(loadMutex());
    if (loaded()) {
        return loaded();
    }
    void* handle = dlopen(libraryName().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error =
            "the media engine's library could not be loaded: " + std::string(reason ? reason : libraryName());
        return nullptr;
    }
    std::shared_ptr<MpvLibrary> library(new MpvLibrary);
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
