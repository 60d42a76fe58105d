#pragma once

#include "platform/AVFoundation/Media/VideoGLContext.h"
#include "platform/host/GLPresenter.h"
#include "platform/host/QuitSignals.h"
#include "platform/host/ScreenRenderer.h"
#include "platform/host/SurfacePresenter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

struct SDL_Window;
union SDL_Event;

// The interface in a phone-shaped desktop window. The main run loop runs here: SDL
// events become touches (mouse), scrolling (wheel), text and keys; the loop waits for the
// display's input, work posted from other threads and its sources (the main thread's
// transfers) at once; frames are drawn when due and nothing moving on screen the loop
// sleeps until input, posted work or a transfer's data arrives.
// Only the changed parts of the screen image are shown again. By default the image is
// copied into the window's own pixels and no graphics driver is loaded (a driver, once
// loaded, stays mapped for the life of the process: some 60 MiB with Mesa's llvmpipe);
// playback engines then draw video into memory, painted with the interface. A window made
// with OpenGL shows the image through a texture instead and lends its context to the
// playback engines, which draw video into textures of it; the host draws those textures in
// their layers' places beneath the interface, at every new picture.
//
// SIGINT and SIGTERM close the window, as closing it on the desktop does, also while it
// sleeps (QuitSignals). While a text field edits, an input method may commit text over a
// connection of its own, which SDL reads only when its events are pumped: the loop then
// looks for it in short steps instead of sleeping until input comes.
//
// The window follows the screen: when the interface turns, its sides swap at the same
// scale, moved if need be so that it stays within the display's usable area. When the
// window manager grants another size, the screen takes the size the window really has, so
// that layout follows what is shown.
class SDLWindowHost {
  public:
    struct Options {
        std::string title = "Orvex";
        // Window pixels per point; 0 picks the screen's scale when the display is large
        // enough for it, else 1, else what fits the display. The image is always drawn at
        // the screen's scale.
        double windowScale = 0;
        bool vsync = true;
        // Whether the window shows the interface through OpenGL and lends its context to
        // the playback engines for video pictures in textures.
        bool openGL = false;
    };

    explicit SDLWindowHost(const Options& options);
    ~SDLWindowHost();
    SDLWindowHost(const SDLWindowHost&) = delete;
    SDLWindowHost& operator=(const SDLWindowHost&) = delete;

    // Whether the window (and its OpenGL context, when asked for) were made (the reason is
    // logged if not).
    bool isOpen() const;
    // Runs until the window is closed or stop() is called.
    void run();
    void stop() { running_ = false; }
    // Waits for input, due work or the next frame of an animation that shows, but at most
    // `maxWaitSeconds` (negative: for as long as it takes), then handles waiting events,
    // runs due tasks and draws a frame if anything changed; answers whether a frame was
    // presented. run() waits for as long as it takes: an idle window sleeps.
    bool pumpOnce(double maxWaitSeconds = 0.25);
    // Draws the current frame and writes what the window shows as a PNG.
    bool writeScreenshot(const std::string& path);
    const ScreenRenderer& screen() const { return renderer_; }
    SDL_Window* window() const { return window_; }

  private:
    void handleEvent(const SDL_Event& event);
    // The window's size in window units for the screen's bounds.
    std::pair<int, int> sizeForScreen() const;
    // Asks for the screen's size when the window was asked for another.
    void followScreen();
    // Moves the window so that a window of `width` x `height` lies within the display's
    // usable area, decorations included, as far as it fits.
    void keepOnDisplay(int width, int height);
    // After the window reported a new size: the screen takes the size the window has when
    // that is not the one asked for (the window manager's choice).
    void adoptWindowSize();
    // Draws what changed and brings the window up to date (all of it when `force`); answers
    // whether a new frame is to be shown (in software, it is shown already).
    bool presentFrame(bool force);
    // Waits up to `seconds` (forever when negative) for an event; answers whether one came.
    bool waitForEvent(SDL_Event& event, double seconds);
    void updateTextInput();
    CGPoint toPoints(int x, int y) const;

    ScreenRenderer renderer_;
    QuitSignals quitSignals_;
    SDL_Window* window_ = nullptr;
    // Window units per point.
    double windowScale_ = 1;
    // The size last asked for or granted, in window units.
    std::pair<int, int> windowSize_;
    void* context_ = nullptr;
    std::unique_ptr<GLPresenter> presenter_;
    std::unique_ptr<SurfacePresenter> surfacePresenter_;
    std::shared_ptr<VideoGLContext> videoContext_;
    // The count of external picture changes last drawn.
    std::uint64_t drawnPictureChanges_ = 0;
    // The display connection's descriptor, which the loop waits on; -1 when the driver
    // has none (offscreen) or waits in steps.
    int displayDescriptor_ = -1;
    bool waitsInSteps_ = false;
    bool running_ = false;
    bool pointerDown_ = false;
    bool textInputOn_ = false;
    // Where the input method was last told the edited text is, with the window's origin
    // then: telling it costs a display round trip and a message to the input method, and
    // while text input is on the loop turns every few milliseconds.
    struct TextInputPlace {
        int x, y, width, height, windowX, windowY;
        bool operator==(const TextInputPlace&) const = default;
    };
    std::optional<TextInputPlace> toldTextInputPlace_;
    bool windowSizeChanged_ = false;
    // Whether the window is to be shown whole again.
    bool exposed_ = false;
    CGPoint pointer_;
    double frameStarted_ = 0;
    // Whether the loop did any work since it last handed free memory back.
    bool busySinceRelease_ = true;
};
