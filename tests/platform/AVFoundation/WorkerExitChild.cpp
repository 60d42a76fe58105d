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
//   worker_exit_child library-of-a-worker
//     An engine's worker loads a library that registers its teardown with the exit as it
//     loads, after the exit's wait was registered; the engine is let go on the main thread
//     and its worker's finish still uses the library. Prints "intact" when the worker
//     finished before the library was taken apart, "taken apart under its worker" if not.

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
    bool libraryLoaded = false;
    bool libraryTakenApart = false;

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

// The gate of the session whose library registers its teardown with the exit.
Gate* libraryGate = nullptr;

// A session whose load waits (as on a network that does not answer) until its gate opens.
class GatedSession {
  public:
    // The library the session's start loads: none, the media library (kept to the end), or
    // one that registers its teardown with the exit and that the session's finish uses.
    enum class Library { none, media, registeringItsTeardown };

    GatedSession(Gate* gate, Library library, std::function<void()> wake)
        : gate_(gate), library_(library), wake_(std::move(wake)) {}
    ~GatedSession() {
        // The worker's queue, through the waker, as library callbacks still reach it.
        wake_();
        say("gone");
        gate_->set(&Gate::gone);
    }

    void setOutlets(MediaEngineOutlets outlets) { outlets_ = std::move(outlets); }
    void start() {
        if (library_ == Library::registeringItsTeardown) {
            // As a library's static objects register their destructors as it loads.
            std::atexit([] { libraryGate->set(&Gate::libraryTakenApart); });
            gate_->set(&Gate::libraryLoaded);
        }
        if (library_ == Library::media) {
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
        if (library_ == Library::registeringItsTeardown) {
            const bool takenApart = gate_->waitFor(&Gate::libraryTakenApart, std::chrono::seconds(1));
            say(takenApart ? "taken apart under its worker" : "intact");
        }
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
    Library library_;
    std::function<void()> wake_;
    MediaEngineOutlets outlets_;
    std::uint64_t generation_ = 0;
};

class GatedEngine final : public WorkerSessionEngine<GatedSession> {
  public:
    GatedEngine(Gate* gate, GatedSession::Library library) : WorkerSessionEngine(0.02) {
        launch(std::make_shared<GatedSession>(gate, library, wakeUp()));
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

// ...and this once it exists: made on the main thread after a worker was let go there,
// this thread-local object is destroyed just before the wait's own (the exit's first act).
void registerBeforeTheWait() {
    struct MarksTheWaitsBeginning {
        ~MarksTheWaitsBeginning() { exitBegan = Clock::now(); }
    };
    static thread_local MarksTheWaitsBeginning marker;
    (void)marker;
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
    heldEngine = new GatedEngine(heldGate, GatedSession::Library::none);
    letGoGate = new Gate;
    auto engine = std::make_unique<GatedEngine>(letGoGate, GatedSession::Library::none);
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
    auto engine = std::make_unique<GatedEngine>(gate, GatedSession::Library::none);
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
    auto engine = std::make_unique<GatedEngine>(gate, GatedSession::Library::media);
    startLoading(*engine, *gate);
    if (!MpvLibrary::isLoaded()) {
        say("the media library could not be loaded");
        return 3;
    }
    // Let go on another thread: the main thread's exit then does not wait for the worker
    // first, which finishes only after the libraries' static objects are destroyed, as one
    // still running past the exit's wait does.
    std::thread([&engine] { engine.reset(); }).join();
    return 0;
}

int libraryOfAWorker() {
    // The exit's wait exists before the library loads, as once an earlier engine was let go.
    (void)WorkerThread::unjoinedCount();
    libraryGate = new Gate;
    auto engine = std::make_unique<GatedEngine>(libraryGate, GatedSession::Library::registeringItsTeardown);
    if (!libraryGate->waitFor(&Gate::libraryLoaded, std::chrono::seconds(20))) {
        say("the worker did not load its library");
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
    if (mode == "library-of-a-worker") {
        return libraryOfAWorker();
    }
    say("usage: worker_exit_child finished|past-the-wait|media-library|library-of-a-worker");
    return 2;
}
