#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// What an mpv engine's worker thread and its picture renderer on the main thread share
// when pictures are drawn into textures (see MpvGLRenderer).
class MpvPictureLink {
  public:
    static std::shared_ptr<MpvPictureLink> make();

    // mpv's display size of the video (0 while unknown), written by the worker.
    std::atomic<int> width{0};
    std::atomic<int> height{0};
    // The generation new pictures belong to, written by the worker: its newest while the
    // media it loaded plays, else 0 (pictures then belong to nothing and are not shown).
    std::atomic<std::uint64_t> generation{0};

    // Asks for `render` to run on the main thread soon; any number of requests before it
    // runs make one run. Callable from any thread, mpv's callbacks included.
    void requestRender();
    // What a render request runs (main thread only).
    void setRender(std::function<void()> render) { render_ = std::move(render); }

  private:
    MpvPictureLink() = default;

    std::weak_ptr<MpvPictureLink> self_;
    std::atomic<bool> scheduled_{false};
    std::function<void()> render_;
};
