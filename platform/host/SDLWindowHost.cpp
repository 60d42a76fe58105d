#include "platform/host/SDLWindowHost.h"

#include "platform/Foundation/Log.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CAAnimationRegistry.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/MemoryPolicy.h"
#include "platform/render/FontFilePages.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string_view>

namespace {

// Points a wheel notch scrolls.
constexpr CGFloat kWheelStep = 40;
constexpr double kFrameInterval = 1.0 / 60;
// A wait this long or longer (in seconds) means the interface has settled.
constexpr double kSettledWait = 1;
// How long the loop waits at a time where it cannot wait for the display's input.
constexpr double kStepWait = 0.01;
// How long the loop waits at a time while text input is on.
constexpr double kInputMethodStepWait = 0.02;

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Window pixels per point on a display of the given size: the screen's scale when the
// window fits at it, else 1, else (a tablet's screen on a smaller display) whatever fits.
// The display keeps room for the window's frame and the desktop's panels.
double fittingWindowScale(CGSize points, double screenScale, int displayWidth, int displayHeight) {
    const double width = displayWidth - 40.0;
    const double height = displayHeight - 80.0;
    if (points.width * screenScale <= width && points.height * screenScale <= height) {
        return screenScale;
    }
    return std::clamp(std::min(width / points.width, height / points.height), 0.25, 1.0);
}

std::shared_ptr<UIWindow> inputWindow() {
    auto windows = UIWindow::windows();
    std::erase_if(windows, [](const auto& window) { return !window->isOnScreen(); });
    if (auto key = UIWindow::keyWindow(); key && key->isOnScreen()) {
        // Input goes to the topmost visible window, which is the key window unless an
        // alert-level window lies above it.
        if (!windows.empty() && windows.back()->windowLevel() > key->windowLevel()) {
            return windows.back();
        }
        return key;
    }
    return windows.empty() ? nullptr : windows.back();
}

} // namespace

SDLWindowHost::SDLWindowHost(const Options& options) {
    // Compositions and commits longer than SDL's fixed event buffers (31 bytes, about ten
    // Chinese characters) come whole instead of cut.
    SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
    // Quit signals are the host's own (QuitSignals), so that they also end a wait.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        consoleLog(std::string("[Host] SDL could not start: ") + SDL_GetError());
        return;
    }
    const CGSize points = UIScreen::mainScreen().bounds().size;
    double scale = options.windowScale;
    if (scale <= 0) {
        SDL_DisplayMode mode;
        scale = SDL_GetDesktopDisplayMode(0, &mode) == 0
                    ? fittingWindowScale(points, UIScreen::mainScreen().scale(), mode.w, mode.h)
                    : 1;
    }
    windowScale_ = scale;
    windowSize_ = sizeForScreen();
    // Where the display takes the window's pixels from memory (X11's shared memory), they
    // are shown from there: SDL would otherwise show them through a renderer of its own,
    // loading a graphics driver. Drivers without such a path (Wayland) keep SDL's renderer.
    const std::string_view videoDriver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (videoDriver == "x11" || videoDriver == "offscreen" || videoDriver == "dummy") {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
    if (options.openGL) {
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        flags |= SDL_WINDOW_OPENGL;
    }
    window_ = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               windowSize_.first, windowSize_.second, flags);
    if (window_ == nullptr) {
        consoleLog(std::string("[Host] The window could not be made: ") + SDL_GetError());
        return;
    }
    if (options.openGL) {
        context_ = SDL_GL_CreateContext(window_);
        if (context_ == nullptr) {
            consoleLog(std::string("[Host] No OpenGL context: ") + SDL_GetError());
            return;
        }
        SDL_GL_MakeCurrent(window_, context_);
        SDL_GL_SetSwapInterval(options.vsync ? 1 : 0);
        presenter_ = std::make_unique<GLPresenter>(renderer_.pixelWidth(), renderer_.pixelHeight());
        videoContext_ =
            std::make_shared<VideoGLContext>([](const char* name) { return SDL_GL_GetProcAddress(name); });
        VideoGLContext::lend(videoContext_);
    } else {
        surfacePresenter_ = std::make_unique<SurfacePresenter>(window_);
    }
    // Text input starts switched on in SDL; it is only wanted while a text field edits.
    SDL_StopTextInput();
    // The loop waits for the display's input together with its own work; drivers with no
    // input of their own (offscreen) have nothing to add.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (videoDriver == "x11" && SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) {
        displayDescriptor_ = ConnectionNumber(info.info.x11.display);
    }
    waitsInSteps_ = displayDescriptor_ < 0 && videoDriver != "offscreen" && videoDriver != "dummy";
}

SDLWindowHost::~SDLWindowHost() {
    // Engines let go of their textures while the context is still there.
    if (videoContext_) {
        videoContext_->withdraw();
    }
    presenter_.reset();
    surfacePresenter_.reset();
    if (context_ != nullptr) {
        SDL_GL_DeleteContext(context_);
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool SDLWindowHost::isOpen() const {
    return window_ != nullptr && ((presenter_ && presenter_->isReady()) || surfacePresenter_);
}

std::pair<int, int> SDLWindowHost::sizeForScreen() const {
    const CGSize points = UIScreen::mainScreen().bounds().size;
    return {static_cast<int>(std::lround(points.width * windowScale_)),
            static_cast<int>(std::lround(points.height * windowScale_))};
}

void SDLWindowHost::followScreen() {
    const auto wanted = sizeForScreen();
    if (wanted == windowSize_) {
        return;
    }
    windowSize_ = wanted;
    // Moved first, so that the window never reaches past the display on the way.
    keepOnDisplay(wanted.first, wanted.second);
    SDL_SetWindowSize(window_, wanted.first, wanted.second);
}

void SDLWindowHost::keepOnDisplay(int width, int height) {
    const int display = SDL_GetWindowDisplayIndex(window_);
    SDL_Rect usable;
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0) {
        return;
    }
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;
    }
    // Within [first, last]; a window larger than the area keeps its top left corner in it.
    auto place = [](int position, int first, int last) { return std::max(first, std::min(position, last)); };
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    const int placedX = place(x, usable.x + left, usable.x + usable.w - width - right);
    const int placedY = place(y, usable.y + top, usable.y + usable.h - height - bottom);
    if (placedX != x || placedY != y) {
        SDL_SetWindowPosition(window_, placedX, placedY);
    }
}

void SDLWindowHost::adoptWindowSize() {
    // The size the window has now: a later request may have overtaken the event's.
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    windowSize_ = {width, height};
    if (windowSize_ != sizeForScreen() && width > 0 && height > 0) {
        UIScreen::mainScreen().hostWindowDidResize({width / windowScale_, height / windowScale_});
    }
}

CGPoint SDLWindowHost::toPoints(int x, int y) const {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    const CGSize points = UIScreen::mainScreen().bounds().size;
    return {width > 0 ? x * points.width / width : 0, height > 0 ? y * points.height / height : 0};
}

void SDLWindowHost::handleEvent(const SDL_Event& event) {
    auto window = inputWindow();
    const double now = RunLoop::main().now();
    switch (event.type) {
    case SDL_QUIT:
        running_ = false;
        break;
    case SDL_WINDOWEVENT:
        // Looked at once the window has been asked for the screen's size: a report of an
        // earlier size may come after the screen turned.
        windowSizeChanged_ = windowSizeChanged_ || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED;
        // The display kept nothing of a part of the window that was covered.
        exposed_ = exposed_ || event.window.event == SDL_WINDOWEVENT_EXPOSED;
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT && window) {
            pointerDown_ = true;
            pointer_ = toPoints(event.button.x, event.button.y);
            window->handleTouch(UITouchPhase::began, pointer_, now);
        }
        break;
    case SDL_MOUSEMOTION:
        pointer_ = toPoints(event.motion.x, event.motion.y);
        if (pointerDown_ && window) {
            window->handleTouch(UITouchPhase::moved, pointer_, now);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && pointerDown_) {
            pointerDown_ = false;
            pointer_ = toPoints(event.button.x, event.button.y);
            if (window) {
                window->handleTouch(UITouchPhase::ended, pointer_, now);
            }
        }
        break;
    case SDL_MOUSEWHEEL:
        if (window) {
            const int direction = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
            // Wheel up shows what lies above: the content offset decreases.
            window->handleScroll(pointer_, -event.wheel.x * direction * kWheelStep,
                                 -event.wheel.y * direction * kWheelStep);
        }
        break;
    case SDL_TEXTINPUT:
        // Committed text replaces the composition in one edit, so that the field reports
        // one change (to the committed text) rather than first the text without it. A long
        // commit arrives as several of these, one after the other.
        if (window) {
            window->handleTextInput(event.text.text);
        }
        break;
    case SDL_TEXTEDITING:
        if (window) {
            window->handleMarkedText(event.edit.text);
        }
        break;
    case SDL_TEXTEDITING_EXT:
        // A composition too long for the event's own buffer, in memory that is ours to free.
        if (window) {
            window->handleMarkedText(event.editExt.text);
        }
        SDL_free(event.editExt.text);
        break;
    case SDL_KEYDOWN:
        if (!window) {
            break;
        }
        switch (event.key.keysym.sym) {
        case SDLK_BACKSPACE:
            window->handleDeleteBackward();
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            window->handleKeyCommand(UIKeyCommand::returnKey);
            break;
        case SDLK_ESCAPE:
            window->handleKeyCommand(UIKeyCommand::escape);
            break;
        case SDLK_TAB:
            window->handleKeyCommand(UIKeyCommand::tab);
            break;
        case SDLK_LEFT:
            window->handleKeyCommand(UIKeyCommand::leftArrow);
            break;
        case SDLK_RIGHT:
            window->handleKeyCommand(UIKeyCommand::rightArrow);
            break;
        case SDLK_UP:
            window->handleKeyCommand(UIKeyCommand::upArrow);
            break;
        case SDLK_DOWN:
            window->handleKeyCommand(UIKeyCommand::downArrow);
            break;
        case SDLK_HOME:
            window->handleKeyCommand(UIKeyCommand::home);
            break;
        case SDLK_END:
            window->handleKeyCommand(UIKeyCommand::end);
            break;
        case SDLK_DELETE:
            window->handleKeyCommand(UIKeyCommand::deleteForward);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

void SDLWindowHost::updateTextInput() {
    auto responder = UIResponder::currentFirstResponder();
    const bool wanted = responder && responder->acceptsTextInput();
    if (wanted != textInputOn_) {
        textInputOn_ = wanted;
        toldTextInputPlace_.reset();
        wanted ? SDL_StartTextInput() : SDL_StopTextInput();
    }
    if (wanted) {
        // The input method's candidate window opens at the text being edited.
        const CGRect area = responder->textInputRect();
        const CGPoint origin = area.origin;
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(window_, &width, &height);
        const double scale = width / UIScreen::mainScreen().bounds().size.width;
        SDL_Rect rect{static_cast<int>(origin.x * scale), static_cast<int>(origin.y * scale),
                      static_cast<int>(area.size.width * scale), static_cast<int>(area.size.height * scale)};
        TextInputPlace place{rect.x, rect.y, rect.w, rect.h, 0, 0};
        SDL_GetWindowPosition(window_, &place.windowX, &place.windowY);
        if (place == toldTextInputPlace_) {
            return;
        }
        toldTextInputPlace_ = place;
        SDL_SetTextInputRect(&rect);
    }
}

bool SDLWindowHost::presentFrame(bool force) {
    followScreen();
    if (windowSizeChanged_) {
        windowSizeChanged_ = false;
        adoptWindowSize();
    }
    const auto changed = renderer_.renderFrame();
    force = force || exposed_;
    exposed_ = false;
    if (surfacePresenter_) {
        return surfacePresenter_->present(renderer_.surface(), changed, force);
    }
    // A turned or resized screen is drawn whole into a texture of its new size.
    presenter_->resize(renderer_.pixelWidth(), renderer_.pixelHeight());
    const std::uint64_t pictureChanges = CAExternalPictures::changeCount();
    if (changed.empty() && !force && pictureChanges == drawnPictureChanges_) {
        return false;
    }
    drawnPictureChanges_ = pictureChanges;
    presenter_->upload(renderer_.surface(), changed);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    presenter_->draw(width, height, renderer_.externalPictures());
    return true;
}

bool SDLWindowHost::waitForEvent(SDL_Event& event, double seconds) {
    // SDL has read everything the display sent when it has no event left, so the display's
    // descriptor says when more comes.
    if (SDL_PollEvent(&event) != 0) {
        return true;
    }
    if (waitsInSteps_) {
        // Other drivers (Wayland) read their input under a protocol of their own: their
        // events are looked at in steps, the loop's work waited for in between.
        seconds = seconds < 0 ? kStepWait : std::min(seconds, kStepWait);
    } else if (textInputOn_ && displayDescriptor_ >= 0) {
        // An input method (IBus, Fcitx) talks to SDL over a connection of its own that SDL
        // reads only as it pumps events: text it commits with no input on the display (a
        // candidate picked in its own window) is looked for in steps.
        seconds = seconds < 0 ? kInputMethodStepWait : std::min(seconds, kInputMethodStepWait);
    }
    RunLoop::main().waitForWork(seconds, displayDescriptor_);
    return SDL_PollEvent(&event) != 0;
}

bool SDLWindowHost::pumpOnce(double maxWaitSeconds) {
    if (!isOpen()) {
        return false;
    }
    // Until due work or the next frame of an animation that shows, whichever comes first;
    // with neither, until input or posted work arrives (negative).
    double wait = RunLoop::main().secondsUntilNextTask();
    if (CAAnimationRegistry::hasRunningAnimations(renderer_.screenLayer())) {
        wait = std::max(0.0, frameStarted_ + kFrameInterval - seconds());
    }
    // About to sleep a while after some work: what that work freed, and the font files'
    // pages its text read, go back to the system.
    if (busySinceRelease_ && (wait < 0 || wait >= kSettledWait)) {
        busySinceRelease_ = false;
        MemoryPolicy::releaseFreePages();
        render::releaseFontFilePages();
    }
    if (maxWaitSeconds >= 0 && (wait < 0 || wait > maxWaitSeconds)) {
        wait = maxWaitSeconds;
    }
    SDL_Event event;
    bool worked = false;
    if (waitForEvent(event, wait)) {
        worked = true;
        handleEvent(event);
        while (SDL_PollEvent(&event) != 0) {
            handleEvent(event);
        }
    }
    if (quitSignals_.takeRequest()) {
        running_ = false;
    }
    worked = RunLoop::main().runPending() > 0 || worked;
    updateTextInput();
    frameStarted_ = seconds();
    const bool presented = presentFrame(false);
    busySinceRelease_ = busySinceRelease_ || worked || presented;
    if (presented && presenter_) {
        SDL_GL_SwapWindow(window_);
    }
    return presented;
}

void SDLWindowHost::run() {
    running_ = isOpen();
    while (running_) {
        pumpOnce(-1);
    }
}

bool SDLWindowHost::writeScreenshot(const std::string& path) {
    if (!isOpen()) {
        return false;
    }
    RunLoop::main().runPending();
    // The window's pixels keep what was shown; a frame through OpenGL is drawn whole again.
    presentFrame(presenter_ != nullptr);
    cairo_surface_t* frame = nullptr;
    if (surfacePresenter_) {
        frame = surfacePresenter_->readFrame();
    } else {
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(window_, &width, &height);
        frame = presenter_->readFrame(width, height);
    }
    if (frame == nullptr) {
        return false;
    }
    const bool written = cairo_surface_write_to_png(frame, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(frame);
    if (presenter_) {
        SDL_GL_SwapWindow(window_);
    }
    return written;
}
