// The window loop waiting without end (nothing on screen moves) wakes for what it waits
// on besides posted work: the display's input, the answers of the main thread's
// transfers and quit signals; while text input is on, it looks for what an input method
// commits. A watchdog ends a wait that nothing else ends, so that a loop that misses its
// wake-up fails the test instead of hanging it.
#include "platform/Foundation/RunLoop.h"
#include "platform/Network/MainLoopCurl.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <unistd.h>
// Xlib's macros (None, Bool, Status) would break the headers above: it comes last.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Whether the calling thread of `threadId` sleeps ('S' in its scheduler state).
bool asleep(pid_t threadId) {
    std::ifstream file("/proc/self/task/" + std::to_string(threadId) + "/stat");
    const std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
}

// Posts work that ends the loop's wait (`task`, or nothing) if nothing else has within
// `seconds`.
class Watchdog {
  public:
    explicit Watchdog(
        std::function<void()> task = [] {}, int seconds = 60)
        : thread_([this, task = std::move(task), seconds] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
                  fired = true;
                  RunLoop::main().post(task);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }
    std::atomic<bool> fired{false};

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

class SettledWindow {
  public:
    SettledWindow() : window_(std::make_shared<UIWindow>()), host_({"Orvex test", 1, false}) {
        window_->makeKeyAndVisible();
        while (host_.isOpen() && host_.pumpOnce(0)) {
        }
    }
    SDLWindowHost& host() { return host_; }
    UIWindow& window() { return *window_; }

  private:
    std::shared_ptr<UIWindow> window_;
    SDLWindowHost host_;
};

// One transfer whose answer the server gives only once the loop thread sleeps.
class LateAnswer final : public CurlTransfer {
  public:
    explicit LateAnswer(const std::string& url) : url_(url) {
        curl_easy_setopt(handle(), CURLOPT_URL, url_.c_str());
        curl_easy_setopt(handle(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle(), CURLOPT_FORBID_REUSE, 1L); // the server stops at once
        curl_easy_setopt(handle(), CURLOPT_WRITEFUNCTION, &LateAnswer::receive);
        curl_easy_setopt(handle(), CURLOPT_WRITEDATA, this);
    }
    void finished(CURLcode result, bool) override {
        result_ = result;
        ended = true;
    }
    std::string body;
    CURLcode result_ = CURLE_OK;
    bool ended = false;

  private:
    static size_t receive(char* data, size_t size, size_t count, void* context) {
        static_cast<LateAnswer*>(context)->body.append(data, size * count);
        return size * count;
    }
    std::string url_;
};

void expectATransfersAnswerWakesTheLoop() {
    SettledWindow window;
    ASSERT_TRUE(window.host().isOpen());
    const pid_t loopThread = gettid();
    httplib::Server server;
    server.Get("/late", [&](const httplib::Request&, httplib::Response& response) {
        while (!asleep(loopThread)) {
            std::this_thread::yield();
        }
        response.set_content("late answer", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    auto transfer = std::make_shared<LateAnswer>("http://127.0.0.1:" + std::to_string(port) + "/late");
    MainLoopCurl::shared().start(transfer);
    {
        Watchdog watchdog;
        while (!transfer->ended && !watchdog.fired) {
            window.host().pumpOnce(-1);
        }
        EXPECT_FALSE(watchdog.fired) << "the loop slept through the answer";
    }
    EXPECT_EQ(transfer->result_, CURLE_OK);
    EXPECT_EQ(transfer->body, "late answer");
    server.stop();
    serving.join();
}

// A quit signal sent to the process once the window's loop sleeps ends run().
void expectAQuitSignalEndsAnIdleWindowsRun(int signal) {
    SettledWindow window;
    ASSERT_TRUE(window.host().isOpen());
    const pid_t loopThread = gettid();
    std::thread sender([&] {
        while (!asleep(loopThread)) {
            std::this_thread::yield();
        }
        ::kill(::getpid(), signal);
    });
    const auto started = std::chrono::steady_clock::now();
    {
        Watchdog watchdog([&window] { window.host().stop(); }, 20);
        window.host().run();
    }
    const std::chrono::duration<double> ran = std::chrono::steady_clock::now() - started;
    sender.join();
    EXPECT_LT(ran.count(), 5) << "signal " << signal << " did not end the window's run";
}

// A view that edits text and keeps what it is given.
class TextSink final : public UIView {
  public:
    bool canBecomeFirstResponder() const override { return true; }
    bool acceptsTextInput() const override { return true; }
    void insertText(const std::string& text) override { received += text; }
    std::string received;
};

class WindowLoopWake : public testing::Test {
  protected:
    void SetUp() override {
        RunLoop::main().setClock(std::make_shared<SystemClock>());
        UIScreen::configureMainScreen({{200, 300}, 1, 20, 10});
    }
};

} // namespace

TEST_F(WindowLoopWake, ATransfersAnswerWakesAnOffscreenWindowsLoop) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    expectATransfersAnswerWakesTheLoop();
}

TEST_F(WindowLoopWake, ATransfersAnswerAndTheDisplaysInputWakeADesktopWindowsLoop) {
    testsupport::XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    expectATransfersAnswerWakesTheLoop();

    // A message from another client of the display, sent once the loop sleeps (the loop
    // may wake for other input of the display before).
    SettledWindow window;
    ASSERT_TRUE(window.host().isOpen());
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window.host().window(), &info));
    const ::Window target = info.info.x11.window;
    const pid_t loopThread = gettid();
    std::atomic<bool> sent{false};
    std::thread other([&] {
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        while (!asleep(loopThread)) {
            std::this_thread::yield();
        }
        sent = true;
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = target;
        message.xclient.format = 32;
        message.xclient.message_type = XInternAtom(display, "ORVEX_TEST_PING", False);
        XSendEvent(display, target, False, NoEventMask, &message);
        XFlush(display);
        XCloseDisplay(display);
    });
    {
        Watchdog watchdog;
        while (!sent && !watchdog.fired) {
            window.host().pumpOnce(-1);
        }
        EXPECT_FALSE(watchdog.fired) << "the loop slept through the display's input";
    }
    other.join();
    EXPECT_TRUE(sent);
}

TEST_F(WindowLoopWake, QuitSignalsEndAnIdleOffscreenWindowsRun) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    expectAQuitSignalEndsAnIdleWindowsRun(SIGTERM);
    expectAQuitSignalEndsAnIdleWindowsRun(SIGINT);
}

TEST_F(WindowLoopWake, QuitSignalsEndAnIdleDesktopWindowsRun) {
    testsupport::XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    expectAQuitSignalEndsAnIdleWindowsRun(SIGTERM);
    expectAQuitSignalEndsAnIdleWindowsRun(SIGINT);
}

// An input method hands SDL what it commits over a connection of its own, read as SDL
// pumps its events; a candidate picked in the input method's window leaves nothing on the
// display. Such text (here put into SDL's queue from another thread once the loop sleeps)
// reaches the field being edited without other input.
TEST_F(WindowLoopWake, TextCommittedWithoutDisplayInputReachesTheFieldOfAnIdleDesktopWindow) {
    testsupport::XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    SettledWindow window;
    ASSERT_TRUE(window.host().isOpen());
    auto field = std::make_shared<TextSink>();
    field->setFrame(CGRectMake(10, 10, 100, 30));
    window.window().addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    while (window.host().pumpOnce(0)) {
    }
    const pid_t loopThread = gettid();
    std::thread inputMethod([&] {
        while (!asleep(loopThread)) {
            std::this_thread::yield();
        }
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        std::strncpy(event.text.text, "你好", sizeof(event.text.text) - 1);
        SDL_PushEvent(&event);
    });
    {
        Watchdog watchdog([] {}, 20);
        while (field->received.empty() && !watchdog.fired) {
            window.host().pumpOnce(-1);
        }
        EXPECT_FALSE(watchdog.fired) << "the committed text waited for other input";
    }
    inputMethod.join();
    EXPECT_EQ(field->received, "你好");
    field->resignFirstResponder();
}
