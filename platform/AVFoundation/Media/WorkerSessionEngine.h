#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/WorkerThread.h"

#include <cstdint>
#include <functional>
#include <memory>

// A playback engine whose media library is driven by a session on a worker thread of its
// own, so that the library's calls never hold up the main thread: every command is queued
// to the worker and carried out there by the session. `Session` offers start, step and
// finish (run by the worker), setOutlets, and the commands load, stop, setPaused, setRate,
// setVolume and seek.
template <class Session> class WorkerSessionEngine : public MediaEngine {
  public:
    // Has the worker run the queued commands and the session's finish, and returns at
    // once: the session's teardown may wait on the network (a name lookup, a download
    // ending), and an engine is let go on the main thread. The worker keeps the session
    // until it ends.
    ~WorkerSessionEngine() override { worker_.reset(); }

  protected:
    // `idleSeconds`: how often the worker steps the session without being woken.
    explicit WorkerSessionEngine(double idleSeconds) : worker_(std::make_unique<WorkerThread>(idleSeconds)) {}

    // Wakes the worker so that it steps the session (any thread). It works until the
    // worker ends, after the library's handle is gone (the session tears it down there),
    // so the library's callbacks may call it.
    std::function<void()> wakeUp() const { return worker_->waker(); }

    // Hands `session` this engine's outlets and starts it on the worker.
    void launch(std::shared_ptr<Session> session) {
        session_ = std::move(session);
        session_->setOutlets(outlets());
        worker_->launch([running = session_] { running->start(); }, [running = session_] { running->step(); },
                        [running = session_] { running->finish(); });
    }

    std::shared_ptr<Session> session_;
    std::unique_ptr<WorkerThread> worker_;

  private:
    void performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) override {
        worker_->enqueue([session = session_, generation, request, paused] {
            session->load(generation, request, paused);
        });
    }

    void performStop(std::uint64_t generation) override {
        worker_->enqueue([session = session_, generation] { session->stop(generation); });
    }

    void performSetPaused(bool paused) override {
        worker_->enqueue([session = session_, paused] { session->setPaused(paused); });
    }

    void performSetRate(double rate) override {
        worker_->enqueue([session = session_, rate] { session->setRate(rate); });
    }

    void performSetVolume(double volume, bool muted) override {
        worker_->enqueue([session = session_, volume, muted] { session->setVolume(volume, muted); });
    }

    void performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) override {
        worker_->enqueue([session = session_, generation, seekId, seconds] {
            session->seek(generation, seekId, seconds);
        });
    }
};
