#pragma once

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

namespace playertest {

// Serves a folder on loopback, segments slowly (a few hundred kilobytes a second), so
// that at almost any moment of playback some segment is on its way.
class SlowOrigin {
  public:
    explicit SlowOrigin(std::filesystem::path root) : root_(std::move(root)) {
        server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            serve(request.path, response);
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    ~SlowOrigin() {
        server_.stop();
        thread_.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }

  private:
    void serve(const std::string& path, httplib::Response& response) {
        std::ifstream file(root_ / path.substr(1), std::ios::binary);
        if (path.find("..") != std::string::npos || !file) {
            response.status = 404;
            return;
        }
        auto body = std::make_shared<std::string>(std::istreambuf_iterator<char>(file),
                                                  std::istreambuf_iterator<char>());
        if (!path.ends_with(".ts")) {
            response.set_content(*body, "application/vnd.apple.mpegurl");
            return;
        }
        response.set_content_provider(
            body->size(), "video/mp2t",
            [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                constexpr std::size_t chunk = 4096;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                return sink.write(body->data() + offset, std::min(length, chunk));
            });
    }

    std::filesystem::path root_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

} // namespace playertest
