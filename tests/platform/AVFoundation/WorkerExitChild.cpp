// A process of its own for the tests of how the engines' workers meet the process's exit.
// It prints "exit wait <milliseconds>": how long the exit waited for workers let go.
//
//   worker_exit_child finished
//     Lets go of an engine whose worker then finishes, keeps another engine (whose worker
//     goes on running) to the end, and exits.
//   worker_exit_child past-the-wait
//     Lets go of an engine whose worker waits in a library call; the call returns only
//     once the exit's wait is over and the process destroys its static objects, and the
//     worker finishes and is joined then. Prints "finished", "gone" and "joined" as the
//     worker gets there.
//   worker_exit_child media-library
//     An engine's worker loads the media library (libmpv, and libsrt with it, whose load
//     leaves an object in the loading thread's specific data); the engine is let go while
//     the worker waits in a call that returns as the process exits, after the libraries'
//     static objects are destroyed, and the worker finishes within the exit's wait.

#include "platform/AVFoundation/Media/WorkerSessionEngine.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Written at once, without the standard streams (which exit flushes and may take apart).
void say(const std::string& line) {
    const std::string whole = line + "\n";
    (void)!::write(STDOUT_FILENO, whole.data(), whole.size());
}

// Where a session waits in its load, and what it tells. Never destroyed: the session may
// use it after the process's static objects are gone.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool loading = false;
    bool open = false;
    bool gone = false;

    void set(bool Gate::*flag) {
        std::lock_guard lock(mutex);
        this->*flag = true;
        changed.notify_all();
    }
    bool waitFor(bool Gate::*flag, std::chrono::seconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return this->*flag; });
    }
};

// A session whose load waits (as on a network that does not answer) until its gate opens.
class GatedSession {
  public:
    GatedSession(Gate* gate, bool loadsMediaLibrary, std::function<void()> wake)
        : gate_(gate), loadsMediaLibrary_(loadsMediaLibrary), wake_(std::move(wake)) {}
    ~GatedSession() {
        // The worker's queue, through the waker, as library callbacks still reach it.
        wake_();
        say("gone");
        gate_->set(&Gate::gone);
    }

    void setOutlets(MediaEngineOutlets outlets) { outlets_ = std::move(outlets); }
    void start() {
        if (loadsMediaLibrary_) {
            // On this worker's thread, as an engine's session loads it; kept to the end,
            // so that the library is still there as the process exits.
            std::string error;
            static const auto* kept = new std::shared_ptr<const MpvLibrary>(MpvLibrary::acquire(error));
            (void)kept;
        }
    }
    void step() {
        if (outlets_.state) {
            outlets_.state(generation_, MediaEngineState{});
        }
    }
    void finish() {
        wake_();
        say("finished");
    }
    void load(std::uint64_t generation, const MediaRequest&, bool) {
        generation_ = generation;
        gate_->set(&Gate::loading);
        gate_->waitFor(&Gate::open, std::chrono::seconds(60));
    }
    void stop(std::uint64_t) {}
    void setPaused(bool) {}
    void setRate(double) {}
    void setVolume(double, bool) {}
    void seek(std::uint64_t, std::uint64_t, double) {}

  private:
    Gate* gate_;
    bool loadsMediaLibrary_;
    std::function<void()> wake_;
    MediaEngineOutlets outlets_;
    std::uint64_t generation_ = 0;
};

class GatedEngine final : public WorkerSessionEngine<GatedSession> {
  public:
    GatedEngine(Gate* gate, bool loadsMediaLibrary) : WorkerSessionEngine(0.02) {
        launch(std::make_shared<GatedSession>(gate, loadsMediaLibrary, wakeUp()));
    }
};

// When the exit's wait for workers began; read by a handler that runs after it.
Clock::time_point exitBegan;

// Brackets the exit's wait for workers: this is registered before that wait exists (it
// runs after it)...
void registerAfterTheWait() {
    std::atexit([] {
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - exitBegan);
        say("exit wait " + std::to_string(waited.count()));
    });
}

// ...and this once it exists (it runs before it).
void registerBeforeTheWait() {
    std::atexit([] { exitBegan = Clock::now(); });
}

// The gate of the worker that the static object below lets go on, as it is destroyed.
Gate* openedAtStaticDestruction = nullptr;

// Constructed before main, so destroyed after the exit's handlers (the wait for workers
// among them) and with the other static objects of the program.
struct OpensTheGateAsItIsDestroyed {
    ~OpensTheGateAsItIsDestroyed() {
        Gate* gate = openedAtStaticDestruction;
        if (gate == nullptr) {
            return;
        }
        gate->set(&Gate::open);
        if (!gate->waitFor(&Gate::gone, std::chrono::seconds(20))) {
            return;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (WorkerThread::unjoinedCount() > 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (WorkerThread::unjoinedCount() == 0) {
            say("joined");
        }
    }
} opensTheGateAsItIsDestroyed;

void startLoading(GatedEngine& engine, Gate& gate) {
    engine.load(makeMediaRequest("http://slow.example/a.m3u8", 0, {}));
    if (!gate.waitFor(&Gate::loading, std::chrono::seconds(20))) {
        say("the worker did not start loading");
        std::_Exit(3);
    }
}

// An engine never let go, and the gates of the engines (kept for the leak checker).
GatedEngine* heldEngine = nullptr;
Gate* heldGate = nullptr;
Gate* letGoGate = nullptr;

int finished() {
    registerAfterTheWait();
    // Never let go: its worker is still running at exit, and nobody waits for it.
    heldGate = new Gate;
    heldEngine = new GatedEngine(heldGate, false);
    letGoGate = new Gate;
    auto engine = std::make_unique<GatedEngine>(letGoGate, false);
    engine.reset();
    if (!letGoGate->waitFor(&Gate::gone, std::chrono::seconds(20))) {
        say("the worker let go did not finish");
        return 3;
    }
    registerBeforeTheWait();
    return 0;
}

int pastTheWait() {
    registerAfterTheWait();
    auto* gate = new Gate;
    auto engine = std::make_unique<GatedEngine>(gate, false);
    startLoading(*engine, *gate);
    engine.reset();
    registerBeforeTheWait();
    openedAtStaticDestruction = gate;
    return 0;
}

// The gate of the worker that an exit handler lets go on.
Gate* openedAtExit = nullptr;

int mediaLibrary() {
    // The exit's wait exists before the libraries load (as once an earlier engine was let
    // go), so that it runs after their static objects are destroyed...
    (void)WorkerThread::unjoinedCount();
    auto* gate = new Gate;
    openedAtExit = gate;
    // ...and the worker's call returns between the two.
    std::atexit([] { openedAtExit->set(&Gate::open); });
    auto engine = std::make_unique<GatedEngine>(gate, true);
    startLoading(*engine, *gate);
    if (!MpvLibrary::isLoaded()) {
        say("the media library could not be loaded");
        return 3;
    }
    engine.reset();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "finished") {
        return finished();
    }
    if (mode == "past-the-wait") {
        return pastTheWait();
    }
    if (mode == "media-library") {
        return mediaLibrary();
    }
    say("usage: worker_exit_child finished|past-the-wait|media-library");
    return 2;
}
