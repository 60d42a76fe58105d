#include "platform/host/QuitSignals.h"

#include "platform/Foundation/RunLoop.h"

#include <csignal>

#include <atomic>

namespace {

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<const RunLoop*>::is_always_lock_free,
              "the signal handler reaches these without locks");

std::atomic<bool> quitRequested{false};
std::atomic<const RunLoop*> loopToWake{nullptr};

void requestQuit(int) {
    // Noted before the wake-up: the loop looks for the request once it is awake.
    quitRequested.store(true);
    if (const RunLoop* loop = loopToWake.load()) {
        loop->wakeUpFromSignalHandler();
    }
}

bool handleWhereDefault(int signal) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
        current.sa_handler != SIG_DFL) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = &requestQuit;
    sigemptyset(&action.sa_mask);
    // Other threads' blocking calls go on after the handler instead of failing.
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, nullptr) == 0;
}

void restoreDefault(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

} // namespace

QuitSignals::QuitSignals() {
    quitRequested.store(false);
    loopToWake.store(&RunLoop::main());
    handlesInterrupt_ = handleWhereDefault(SIGINT);
    handlesTermination_ = handleWhereDefault(SIGTERM);
}

QuitSignals::~QuitSignals() {
    if (handlesInterrupt_) {
        restoreDefault(SIGINT);
    }
    if (handlesTermination_) {
        restoreDefault(SIGTERM);
    }
}

bool QuitSignals::takeRequest() {
    return quitRequested.exchange(false);
}
