#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"

#include "platform/Foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <unistd.h>

namespace playertest {

namespace {

bool makeHls(const std::filesystem::path& folder, int seconds) {
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=320x180:rate=25 -f lavfi -i "
        "sine=frequency=440 -t " +
        std::to_string(seconds) +
        " -c:v libx264 -preset ultrafast -g 25 -keyint_min 25 -sc_threshold 0 -pix_fmt yuv420p -c:a aac " +
        "-f hls -hls_time 1 -hls_playlist_type vod -hls_segment_filename '" +
        (folder / "segment%d.ts").string() + "' '" + (folder / "index.m3u8").string() + "'";
    return std::system(command.c_str()) == 0;
}

// Streams are kept in the build folder between test processes (made once per build);
// without one, in the process's own data root.
std::filesystem::path streamsFolder() {
    const char* build = std::getenv("ORVEX_BUILD_DIR");
    return build != nullptr ? std::filesystem::path(build) / "test-fixtures" / "player-streams-v1"
                            : testsupport::dataRoot() / "player-streams";
}

} // namespace

std::filesystem::path hlsStream(const std::string& name, int seconds) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const std::filesystem::path folder = streamsFolder() / (name + "-" + std::to_string(seconds));
    std::error_code error;
    if (std::filesystem::exists(folder / "index.m3u8", error)) {
        return folder;
    }
    // Made beside its place and renamed into it, so that a process running at the same
    // time never sees half a stream; the first rename wins.
    std::filesystem::create_directories(streamsFolder(), error);
    const std::filesystem::path making = streamsFolder() / (name + ".making." + std::to_string(::getpid()));
    std::filesystem::remove_all(making, error);
    std::filesystem::create_directories(making, error);
    if (!makeHls(making, seconds)) {
        std::filesystem::remove_all(making, error);
        return {};
    }
    std::filesystem::rename(making, folder, error);
    std::filesystem::remove_all(making, error);
    return std::filesystem::exists(folder / "index.m3u8", error) ? folder : std::filesystem::path{};
}

MediaOrigin::MediaOrigin(std::filesystem::path root) : server_(std::make_unique<httplib::Server>()) {
    server_->new_task_queue = [] { return new httplib::ThreadPool(16); };
    server_->set_keep_alive_timeout(1);
    server_->set_mount_point("/", root.string());
    server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        Request logged;
        logged.path = request.path;
        for (const auto& [name, value] : request.headers) {
            std::string key = name;
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            logged.headers[key] = value;
        }
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(logged));
        return httplib::Server::HandlerResponse::Unhandled;
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // Stopping a server that has not started listening yet would leave it listening.
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

MediaOrigin::~MediaOrigin() {
    server_->stop();
    thread_.join();
}

std::string MediaOrigin::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

std::vector<MediaOrigin::Request> MediaOrigin::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool waitFor(const std::function<bool()>& done, double seconds) {
    return RunLoop::main().runUntil(done, seconds);
}

} // namespace playertest
