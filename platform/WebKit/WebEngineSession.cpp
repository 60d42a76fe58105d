#include "platform/WebKit/WebEngineSession.h"

#include "platform/CoreGraphics/CGImage.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/UIKit/UIImage.h"
#include "platform/WebKit/WebViewTunnel.h"

#include <cairo.h>
#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

bool writeAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

// What the session and its thread share: the helper's pipes and process, and the lines
// waiting to be written until the helper runs.
struct WebEngineSession::Channel {
    std::mutex mutex;
    bool stopped = false;
    std::atomic<bool> finished = false;
    pid_t pid = -1;
    int toHelper = -1;
    std::vector<std::string> pending;

    // Ends the helper (its thread then sees the end of its output) and any start still on
    // its way.
    void stop() {
        std::lock_guard lock(mutex);
        stopped = true;
        if (toHelper >= 0) {
            ::close(toHelper);
            toHelper = -2;
        }
        if (pid > 0) {
            ::kill(pid, SIGTERM);
        }
    }
    bool isStopped() {
        std::lock_guard lock(mutex);
        return stopped;
    }

    void write(const std::string& line) {
        std::lock_guard lock(mutex);
        if (stopped) {
            return;
        }
        if (toHelper < 0) {
            pending.push_back(line);
        } else if (!writeAll(toHelper, line)) {
            ::close(toHelper);
            toHelper = -2;
        }
    }
};

std::shared_ptr<UIImage> imageOfFrame(const WebEngineFrame& frame, double scale) {
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height * 4) {
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frame.width, frame.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 4;
    for (int row = 0; row < frame.height; ++row) {
        std::memcpy(data + static_cast<std::ptrdiff_t>(row) * stride, frame.pixels.data() + row * rowBytes,
                    rowBytes);
    }
    cairo_surface_mark_dirty(surface);
    const auto image = CGImage::adopt(surface);
    return image ? UIImage::imageWithCGImage(image, scale) : nullptr;
}

std::filesystem::path WebEngineSession::helperPath() {
    if (const char* path = std::getenv("ORVEX_WEBVIEW_HELPER"); path != nullptr && *path != '\0') {
        return path;
    }
    return ORVEX_WEBVIEW_HELPER_PATH;
}

WebEngineSession::WebEngineSession(WebEngineOptions options, WebEngineHandlers handlers)
    : options_(std::move(options)), handlers_(std::move(handlers)), channel_(std::make_shared<Channel>()) {}

namespace {

// The sessions' threads. Each ends soon after its session (the helper is ended, a pending
// connection gives up); the ones that ended are joined when the next starts, and the rest
// when the process ends, after their helpers have been told to stop.
class EngineThreads {
  public:
    static EngineThreads& shared() {
        static EngineThreads threads;
        return threads;
    }
    // curl (and the TLS library under it) is set up first, so that it is torn down only
    // after the threads that use it have been joined.
    EngineThreads() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    void add(std::shared_ptr<WebEngineSession::Channel> channel, std::thread thread) {
        std::lock_guard lock(mutex_);
        std::erase_if(running_, [](Running& running) {
            if (!running.channel->finished) {
                return false;
            }
            running.thread.join();
            return true;
        });
        running_.push_back(Running{std::move(channel), std::move(thread)});
    }
    ~EngineThreads() {
        std::lock_guard lock(mutex_);
        for (auto& running : running_) {
            running.channel->stop();
            running.thread.join();
        }
    }

  private:
    struct Running {
        std::shared_ptr<WebEngineSession::Channel> channel;
        std::thread thread;
    };
    std::mutex mutex_;
    std::vector<Running> running_;
};

} // namespace

WebEngineSession::~WebEngineSession() {
    channel_->stop();
}

std::shared_ptr<WebEngineSession> WebEngineSession::start(WebEngineOptions options,
                                                          WebEngineHandlers handlers) {
    std::shared_ptr<WebEngineSession> session(new WebEngineSession(std::move(options), std::move(handlers)));
    const std::weak_ptr<WebEngineSession> weak = session;
    const auto channel = session->channel_;
    const WebEngineOptions start = session->options_;
    // The registry outlives every session made after it.
    auto& threads = EngineThreads::shared();
    std::thread thread([weak, channel, start] {
        struct Finished {
            WebEngineSession::Channel& channel;
            ~Finished() { channel.finished = true; }
        } finished{*channel};
        const auto report = [weak](std::string line) {
            DispatchQueue::main().async([weak, line = std::move(line)] {
                if (const auto self = weak.lock()) {
                    self->handle(line);
                }
            });
        };
        const auto fail = [&](const std::string& error) {
            report(nlohmann::json{{"event", "failed"}, {"url", start.url}, {"error", error}}.dump());
        };
        // The helper's only way out, for as long as it runs.
        std::string error;
        const auto tunnel = WebViewTunnel::start(error);
        if (!tunnel) {
            fail(error);
            return;
        }
        int toHelper[2];
        int fromHelper[2];
        if (::pipe2(toHelper, O_CLOEXEC) != 0 || ::pipe2(fromHelper, O_CLOEXEC) != 0) {
            fail("no pipe for the web engine");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toHelper[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromHelper[1], STDOUT_FILENO);
        // The helper gets nothing else of this process (other sessions' pipes, sockets).
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        const std::string helper = helperPath().string();
        std::vector<std::string> arguments = {helper,
                                              "--url=" + start.url,
                                              "--origin=" + start.trustedOrigin,
                                              "--proxy-port=" + std::to_string(tunnel->port()),
                                              "--timeout=" + std::to_string(start.timeoutSeconds),
                                              "--size=" + std::to_string(start.width) + "x" +
                                                  std::to_string(start.height),
                                              "--scale=" + std::to_string(start.scale)};
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t pid = -1;
        int spawned = 0;
        {
            std::lock_guard lock(channel->mutex);
            if (!channel->stopped) {
                spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), environ);
                if (spawned == 0) {
                    channel->pid = pid;
                    channel->toHelper = toHelper[1];
                    // The tunnel's secret goes first, through the pipe: a command line is
                    // readable by every local user.
                    writeAll(
                        toHelper[1],
                        nlohmann::json{{"user", WebViewTunnel::user()}, {"secret", tunnel->secret()}}.dump() +
                            "\n");
                    for (const auto& line : channel->pending) {
                        writeAll(toHelper[1], line);
                    }
                    channel->pending.clear();
                } else {
                    ::close(toHelper[1]);
                }
            } else {
                ::close(toHelper[1]);
                spawned = -1;
            }
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(toHelper[0]);
        ::close(fromHelper[1]);
        if (spawned != 0) {
            ::close(fromHelper[0]);
            if (spawned > 0) {
                fail("the web engine helper " + helper + " could not start");
            }
            return;
        }
        // Lines from the helper; a frame line is followed by its pixels.
        FILE* input = ::fdopen(fromHelper[0], "r");
        char* buffer = nullptr;
        std::size_t capacity = 0;
        ssize_t length;
        while ((length = ::getline(&buffer, &capacity, input)) > 0) {
            std::string line(buffer, static_cast<std::size_t>(length));
            const auto message = nlohmann::json::parse(line, nullptr, false);
            if (message.is_object() && message.value("event", "") == "frame") {
                WebEngineFrame frame{message.value("width", 0), message.value("height", 0), {}};
                const std::size_t bytes = message.value("bytes", std::size_t{0});
                frame.pixels.resize(bytes);
                if (bytes > 0 && std::fread(frame.pixels.data(), 1, bytes, input) != bytes) {
                    break;
                }
                // The picture becomes an image here, off the main thread; the view only
                // shows it.
                auto image = imageOfFrame(frame, static_cast<double>(frame.width) / std::max(1, start.width));
                if (image) {
                    DispatchQueue::main().async([weak, image = std::move(image)] {
                        if (const auto self = weak.lock(); self && self->handlers_.frame) {
                            self->handlers_.frame(image);
                        }
                    });
                }
                continue;
            }
            report(std::move(line));
        }
        std::free(buffer);
        std::fclose(input);
        int status = 0;
        ::waitpid(pid, &status, 0);
        bool expected;
        {
            std::lock_guard lock(channel->mutex);
            expected = channel->stopped;
        }
        if (!expected) {
            fail("the web engine helper ended (status " + std::to_string(status) + ")");
        }
    });
    threads.add(channel, std::move(thread));
    return session;
}

void WebEngineSession::send(const std::string& line) {
    channel_->write(line + "\n");
}

void WebEngineSession::pointer(const std::string& kind, double x, double y) {
    send(nlohmann::json{{"command", "pointer"}, {"kind", kind}, {"x", x}, {"y", y}}.dump());
}

void WebEngineSession::evaluate(const std::string& script) {
    send(nlohmann::json{{"command", "evaluate"}, {"script", script}}.dump());
}

void WebEngineSession::editText(const std::string& command, const std::string& argument) {
    send(nlohmann::json{{"command", "edit"}, {"name", command}, {"argument", argument}}.dump());
}

void WebEngineSession::load(const std::string& url) {
    send(nlohmann::json{{"command", "load"}, {"url", url}}.dump());
}

void WebEngineSession::handle(const std::string& line) {
    const auto message = nlohmann::json::parse(line, nullptr, false);
    if (!message.is_object()) {
        return;
    }
    const std::string event = message.value("event", "");
    // Handlers may drop this session (a page that closes itself removes its view).
    const auto keep = shared_from_this();
    if (event == "call") {
        std::string answer;
        if (handlers_.call) {
            answer = handlers_.call(message.value("method", ""), message.value("argument", ""));
        }
        send(nlohmann::json{{"command", "answer"}, {"id", message.value("id", 0)}, {"value", answer}}.dump());
    } else if (event == "close") {
        if (handlers_.closeWindow) {
            handlers_.closeWindow();
        }
    } else if (event == "loaded") {
        if (handlers_.loaded) {
            handlers_.loaded(message.value("url", ""));
        }
    } else if (event == "failed") {
        if (handlers_.failed) {
            handlers_.failed(message.value("url", ""), message.value("error", ""));
        }
    } else if (event == "refused-navigation") {
        if (handlers_.refusedNavigation) {
            handlers_.refusedNavigation(message.value("url", ""));
        }
    } else if (event == "refused-call") {
        if (handlers_.refusedCall) {
            handlers_.refusedCall();
        }
    }
}
