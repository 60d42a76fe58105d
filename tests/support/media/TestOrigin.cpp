#include "tests/support/media/TestOrigin.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testmedia {

namespace {

std::string normalizedPath(const std::string& path) {
    return path.empty() || path[0] != '/' ? "/" + path : path;
}

std::string contentTypeFor(const std::filesystem::path& path) {
    const auto extension = path.extension().string();
    if (extension == ".m3u8") {
        return "application/vnd.apple.mpegurl";
    }
    if (extension == ".ts") {
        return "video/mp2t";
    }
    if (extension == ".mp4" || extension == ".m4s") {
        return "video/mp4";
    }
    if (extension == ".html") {
        return "text/html; charset=utf-8";
    }
    return "application/octet-stream";
}

} // namespace

TestOrigin::TestOrigin(std::filesystem::path root) : root_(std::move(root)) {}

TestOrigin::~TestOrigin() {
    stop();
}

bool TestOrigin::start() {
    const bool started =
        server_.start([this](const auto& request, auto& writer) { handle(request, writer); }, port_);
    if (started) {
        port_ = server_.port();
    }
    return started;
}

void TestOrigin::stop() {
    server_.stop();
}

std::string TestOrigin::baseURL() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string TestOrigin::url(const std::string& path) const {
    return baseURL() + normalizedPath(path);
}

void TestOrigin::setLatency(double seconds) {
    std::lock_guard lock(mutex_);
    latency_ = seconds;
}

void TestOrigin::setBytesPerSecond(std::uint64_t bytesPerSecond) {
    std::lock_guard lock(mutex_);
    bytesPerSecond_ = bytesPerSecond;
}

void TestOrigin::failPath(const std::string& path, int status, int times, const std::string& retryAfter) {
    std::lock_guard lock(mutex_);
    failures_[normalizedPath(path)] = {Failure{Failure::Status, status, retryAfter, 0, times}};
}

void TestOrigin::cutPath(const std::string& path, std::uint64_t bytes, int times) {
    std::lock_guard lock(mutex_);
    failures_[normalizedPath(path)] = {Failure{Failure::Cut, 200, {}, bytes, times}};
}

void TestOrigin::dropPath(const std::string& path, int times) {
    std::lock_guard lock(mutex_);
    failures_[normalizedPath(path)].push_back(Failure{Failure::Drop, 0, {}, 0, times});
}

void TestOrigin::resetPath(const std::string& path, std::uint64_t bytes, int times) {
    std::lock_guard lock(mutex_);
    failures_[normalizedPath(path)].push_back(Failure{Failure::Reset, 200, {}, bytes, times});
}

void TestOrigin::clearFailures() {
    std::lock_guard lock(mutex_);
    failures_.clear();
}

void TestOrigin::alias(const std::string& path, const std::string& file, const std::string& contentType) {
    std::lock_guard lock(mutex_);
    aliases_[normalizedPath(path)] = {normalizedPath(file), contentType};
}

void TestOrigin::redirect(const std::string& path, const std::string& target) {
    std::lock_guard lock(mutex_);
    redirects_[normalizedPath(path)] = normalizedPath(target);
}

void TestOrigin::requireHeader(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    requiredHeaders_.emplace_back(name, value);
}

std::vector<TestOrigin::LoggedRequest> TestOrigin::requests() const {
    std::lock_guard lock(mutex_);
    return log_;
}

std::size_t TestOrigin::requestCount(const std::string& path) const {
    const auto wanted = normalizedPath(path);
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const auto& entry : log_) {
        count += entry.path == wanted ? 1 : 0;
    }
    return count;
}

bool TestOrigin::anyRequestUnder(const std::string& prefix) const {
    const auto wanted = normalizedPath(prefix);
    std::lock_guard lock(mutex_);
    for (const auto& entry : log_) {
        if (entry.path.compare(0, wanted.size(), wanted) == 0) {
            return true;
        }
    }
    return false;
}

void TestOrigin::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

bool TestOrigin::takeFailure(const std::string& path, Failure& failure) {
    std::lock_guard lock(mutex_);
    const auto found = failures_.find(path);
    if (found == failures_.end()) {
        return false;
    }
    auto& queue = found->second;
    while (!queue.empty() && queue.front().remaining == 0) {
        queue.pop_front();
    }
    if (queue.empty()) {
        return false;
    }
    failure = queue.front();
    if (queue.front().remaining > 0) {
        --queue.front().remaining;
    }
    return true;
}

bool TestOrigin::sendThrottled(mcs::http::ResponseWriter& writer, int fd, const std::string* memory,
                               std::uint64_t offset, std::uint64_t count) {
    std::uint64_t rate;
    {
        std::lock_guard lock(mutex_);
        rate = bytesPerSecond_;
    }
    const auto started = std::chrono::steady_clock::now();
    std::uint64_t sent = 0;
    const std::uint64_t chunk = rate == 0 ? (1u << 20) : std::max<std::uint64_t>(rate / 50, 4096);
    while (sent < count) {
        const auto n = std::min(chunk, count - sent);
        const bool ok = memory != nullptr ? writer.sendBody(memory->data() + offset + sent, n)
                                          : writer.sendFile(fd, static_cast<off_t>(offset + sent), n);
        if (!ok) {
            return false;
        }
        sent += n;
        if (rate > 0) {
            const auto due = started + std::chrono::duration<double>(static_cast<double>(sent) /
                                                                     static_cast<double>(rate));
            std::this_thread::sleep_until(due);
        }
    }
    return true;
}

void TestOrigin::handle(const mcs::http::HttpRequest& request, mcs::http::ResponseWriter& writer) {
    struct InFlight {
        explicit InFlight(TestOrigin& origin) : origin_(origin) {
            const int now = ++origin_.inFlight_;
            for (int peak = origin_.peakInFlight_;
                 now > peak && !origin_.peakInFlight_.compare_exchange_weak(peak, now);) {
            }
        }
        ~InFlight() { --origin_.inFlight_; }
        TestOrigin& origin_;
    } inFlight(*this);
    std::string path = request.target.substr(0, request.target.find('?'));
    std::optional<std::string> contentType;
    bool refused = false;
    std::string redirectTarget;
    std::string filePath = path;
    {
        std::lock_guard lock(mutex_);
        const auto range = request.header("Range");
        const auto agent = request.header("User-Agent");
        log_.push_back({request.method, path, range ? std::string(*range) : std::string(),
                        agent ? std::string(*agent) : std::string()});
        for (const auto& [name, value] : requiredHeaders_) {
            const auto field = request.header(name);
            refused = refused || !field || *field != value;
        }
        if (const auto found = aliases_.find(path); found != aliases_.end()) {
            filePath = found->second.first;
            contentType = found->second.second;
        }
        if (const auto found = redirects_.find(path); found != redirects_.end()) {
            redirectTarget = found->second;
        }
    }
    double latency;
    {
        std::lock_guard lock(mutex_);
        latency = latency_;
    }
    if (latency > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(latency));
    }
    if (request.method != "GET" && request.method != "HEAD") {
        writer.respondError(405);
        return;
    }
    if (refused) {
        writer.respond(403, {});
        return;
    }
    if (!redirectTarget.empty()) {
        writer.respond(302, {{"Location", baseURL() + redirectTarget}});
        return;
    }
    Failure failure;
    const bool failing = takeFailure(path, failure);
    if (failing && failure.kind == Failure::Drop) {
        writer.resetConnection();
        return;
    }
    if (failing && failure.kind == Failure::Status) {
        std::vector<std::pair<std::string, std::string>> fields;
        if (!failure.retryAfter.empty()) {
            fields.emplace_back("Retry-After", failure.retryAfter);
        }
        writer.respond(failure.status, fields);
        return;
    }
    if (path.find("..") != std::string::npos) {
        writer.respondError(404);
        return;
    }
    const auto file = root_ / filePath.substr(1);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        writer.respond(404, {});
        return;
    }
    std::string memory;
    const bool playlist = file.extension() == ".m3u8";
    if (playlist) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        memory = text.str();
        const std::string marker = "{{ORIGIN}}";
        for (auto at = memory.find(marker); at != std::string::npos; at = memory.find(marker, at)) {
            memory.replace(at, marker.size(), baseURL());
        }
    }
    const int fd = playlist ? -1 : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (!playlist && (fd < 0 || ::fstat(fd, &info) != 0)) {
        if (fd >= 0) {
            ::close(fd);
        }
        writer.respond(500, {});
        return;
    }
    const std::uint64_t total = playlist ? memory.size() : static_cast<std::uint64_t>(info.st_size);
    const auto decision = mcs::http::evaluateRange(request.header("Range"), total);
    std::vector<std::pair<std::string, std::string>> fields = {
        {"Accept-Ranges", "bytes"},
        {"ETag", "\"" + std::to_string(total) + "-" + std::to_string(info.st_mtime) + "\""},
    };
    const auto type = contentType.value_or(contentTypeFor(file));
    if (!type.empty()) {
        fields.emplace_back("Content-Type", type);
    }
    int status = 200;
    std::uint64_t first = 0;
    std::uint64_t count = total;
    if (decision.kind == mcs::http::RangeDecision::Unsatisfiable) {
        fields.emplace_back("Content-Range", "bytes */" + std::to_string(total));
        if (fd >= 0) {
            ::close(fd);
        }
        writer.respond(416, fields);
        return;
    }
    if (decision.kind == mcs::http::RangeDecision::Partial) {
        status = 206;
        first = decision.range.first;
        count = decision.range.length();
        fields.emplace_back("Content-Range", "bytes " + std::to_string(first) + "-" +
                                                 std::to_string(decision.range.last) + "/" +
                                                 std::to_string(total));
    }
    fields.emplace_back("Content-Length", std::to_string(count));
    if (writer.sendHead(status, fields, failing) && !writer.isHeadRequest()) {
        const auto toSend = failing ? std::min(count, failure.cutAfter) : count;
        if (!sendThrottled(writer, fd, playlist ? &memory : nullptr, first, toSend) || toSend < count) {
            writer.requestClose();
        }
        if (failing && failure.kind == Failure::Reset) {
            writer.resetConnection();
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

} // namespace testmedia
