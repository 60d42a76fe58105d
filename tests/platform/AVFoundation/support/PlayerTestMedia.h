#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace playertest {

// A short HLS stream made with the ffmpeg tool (once per build): a moving test picture
// (never black) with a tone, `seconds` long in segments of one second, in
// `folder`/index.m3u8. Answers the folder (which holds nothing else), or an empty path
// when ffmpeg failed.
std::filesystem::path hlsStream(const std::string& name, int seconds);

// A media origin on 127.0.0.1 serving one folder (with Range requests), remembering
// every request with its header fields.
class MediaOrigin {
  public:
    struct Request {
        std::string path;
        std::map<std::string, std::string> headers; // names in lower case
    };

    explicit MediaOrigin(std::filesystem::path root);
    ~MediaOrigin();
    MediaOrigin(const MediaOrigin&) = delete;
    MediaOrigin& operator=(const MediaOrigin&) = delete;

    // "http://127.0.0.1:<port>/<path>"
    std::string url(const std::string& path) const;
    std::vector<Request> requests() const;

  private:
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};

// Waits on the main run loop until `done` or the real timeout (engines decode for real).
bool waitFor(const std::function<bool()>& done, double seconds = 20);

} // namespace playertest
