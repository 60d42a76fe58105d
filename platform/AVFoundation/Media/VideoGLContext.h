#pragma once

#include <functional>
#include <memory>
#include <vector>

// The OpenGL context of the window that shows the interface, lent by the window host to
// the playback engines while the window lives, so that they draw video pictures into
// textures of it and the host draws those beneath the interface. Headless, nothing is
// lent and engines draw their pictures into memory. Used on the main thread only, where
// the host keeps the context current.
class VideoGLContext {
  public:
    using FunctionLookup = std::function<void*(const char* name)>;

    explicit VideoGLContext(FunctionLookup lookup);
    VideoGLContext(const VideoGLContext&) = delete;
    VideoGLContext& operator=(const VideoGLContext&) = delete;

    // The context lent now, or null. Engines look once, when they are made.
    static std::shared_ptr<VideoGLContext> current();
    // Lends `context` to the engines made from now on (null: none).
    static void lend(std::shared_ptr<VideoGLContext> context);

    // The address of an OpenGL function of the context, or null.
    void* functionAddress(const char* name) const;
    // Whether the context still exists: false once withdrawn.
    bool isAlive() const { return alive_; }
    // Runs `release` when the context is withdrawn, while it is still current, unless the
    // answered token was dropped before.
    [[nodiscard]] std::shared_ptr<void> onWithdrawal(std::function<void()> release);
    // Called by the host just before it destroys the context: every user lets go of what
    // it holds in the context, and engines made later draw into memory.
    void withdraw();

  private:
    FunctionLookup lookup_;
    bool alive_ = true;
    std::vector<std::weak_ptr<std::function<void()>>> releases_;
};
