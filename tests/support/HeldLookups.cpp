#include "tests/support/HeldLookups.h"

#include "platform/Network/ProcessNameLookup.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <dlfcn.h>
#include <mutex>

namespace testsupport {
namespace {

// A lookup is never held longer than this, so that a test that fails before it releases
// still ends.
constexpr auto kLongestHold = std::chrono::seconds(120);

struct State {
    std::mutex mutex;
    std::condition_variable changed;
    int held = 0;
    bool released = false;
};

State& state() {
    static auto* instance = new State; // lookups may still return as the process ends
    return *instance;
}

int holdingSystem(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
    if (node == nullptr || std::strncmp(node, "held.", 5) != 0) {
        using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
        return reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"))(node, service, hints, result);
    }
    auto& shared = state();
    std::unique_lock lock(shared.mutex);
    ++shared.held;
    shared.changed.notify_all();
    shared.changed.wait_for(lock, kLongestHold, [&] { return shared.released; });
    --shared.held;
    shared.changed.notify_all();
    return EAI_NONAME;
}

} // namespace

HeldLookups::HeldLookups() {
    {
        std::lock_guard lock(state().mutex);
        state().released = false;
    }
    ProcessNameLookup::replaceSystemLookupForTesting(&holdingSystem);
}

HeldLookups::~HeldLookups() {
    release();
    auto& shared = state();
    std::unique_lock lock(shared.mutex);
    shared.changed.wait_for(lock, kLongestHold, [&] { return shared.held == 0; });
    ProcessNameLookup::replaceSystemLookupForTesting(nullptr);
}

bool HeldLookups::awaitHeld(int count, double seconds) const {
    auto& shared = state();
    std::unique_lock lock(shared.mutex);
    return shared.changed.wait_for(lock, std::chrono::duration<double>(seconds),
                                   [&] { return shared.held >= count; });
}

int HeldLookups::held() const {
    std::lock_guard lock(state().mutex);
    return state().held;
}

void HeldLookups::release() {
    std::lock_guard lock(state().mutex);
    state().released = true;
    state().changed.notify_all();
}

} // namespace testsupport
