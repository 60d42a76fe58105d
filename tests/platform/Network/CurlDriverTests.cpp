#include "platform/Foundation/RunLoop.h"
#include "platform/Network/CurlWorker.h"
#include "platform/Network/MainLoopCurl.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// cpp-httplib listens with a backlog of 5: connections the worker opens at once beyond it
// would wait on the server's accept queue, their requests unanswered for minutes.
class WideBacklogServer : public httplib::Server {
  public:
    void widenBacklog() { ::listen(svr_sock_, 256); }
};

// An HTTP server on loopback: "/n/<number>" answers the number back, "/slow" answers after
// the server is told to stop.
class EchoServer {
  public:
    EchoServer() {
        // A thread per connection the worker may open: a kept-alive connection holds its
        // thread until it goes idle.
        server_.new_task_queue = [] { return new httplib::ThreadPool(64); };
        server_.set_keep_alive_timeout(1);
        server_.Get(R"(/n/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("answer " + request.matches[1].str(), "text/plain");
        });
        server_.Get("/slow", [this](const httplib::Request&, httplib::Response& response) {
            while (!stopping_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            response.set_content("late", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        server_.widenBacklog();
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::yield();
        }
    }
    ~EchoServer() {
        stopping_ = true;
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

  private:
    WideBacklogServer server_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

// A transfer that keeps its body and records how, and on which thread, it ended.
class RecordingTransfer final : public CurlTransfer {
  public:
    struct Log {
        std::mutex mutex;
        std::map<const RecordingTransfer*, int> ends;
        std::vector<std::thread::id> finishingThreads;
        int cancelled = 0;
        std::atomic<int> total{0};
    };

    RecordingTransfer(const std::string& url, Log& log) : url_(url), log_(log) {
        curl_easy_setopt(handle(), CURLOPT_URL, url_.c_str());
        curl_easy_setopt(handle(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle(), CURLOPT_WRITEFUNCTION, &RecordingTransfer::receive);
        curl_easy_setopt(handle(), CURLOPT_WRITEDATA, this);
    }

    void finished(CURLcode result, bool cancelled) override {
        std::lock_guard lock(log_.mutex);
        ++log_.ends[this];
        log_.finishingThreads.push_back(std::this_thread::get_id());
        log_.cancelled += cancelled ? 1 : 0;
        result_ = result;
        ++log_.total;
    }

    const std::string& body() const { return body_; }
    CURLcode result() const { return result_; }

  private:
    static size_t receive(char* data, size_t size, size_t count, void* context) {
        static_cast<RecordingTransfer*>(context)->body_.append(data, size * count);
        return size * count;
    }

    std::string url_;
    Log& log_;
    std::string body_;
    CURLcode result_ = CURLE_OK;
};

// The two drivers: a worker thread of the test's own, and the main thread's run loop
// (this thread's: the test waits by running it).
class CurlDrivers : public testing::TestWithParam<std::string> {
  protected:
    bool onMainLoop() const { return GetParam() == "mainLoop"; }

    CurlDriver& driver() {
        if (onMainLoop()) {
            return MainLoopCurl::shared();
        }
        if (!worker_) {
            worker_ = std::make_unique<CurlWorker>();
        }
        return *worker_;
    }

    bool waitUntil(const std::function<bool()>& done, double seconds = 60) {
        if (onMainLoop()) {
            return RunLoop::main().runUntil(done, seconds);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    void SetUp() override {
        if (onMainLoop()) {
            ASSERT_TRUE(RunLoop::main().isLoopThread());
        }
    }

  private:
    std::unique_ptr<CurlWorker> worker_;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Drivers, CurlDrivers, testing::Values("worker", "mainLoop"));

// Transfers started from several threads at once, each while the others run (so that some
// start on their own thread and some are left to the driver), all end once, with their
// own answers, reported on the driver's thread: the worker's, or the main loop's.
TEST_P(CurlDrivers, TransfersStartedFromSeveralThreadsAtOnceEachEndOnceWithTheirAnswer) {
    EchoServer server;
    CurlDriver& worker = driver();
    RecordingTransfer::Log log;
    constexpr int threads = 4;
    constexpr int perThread = 15;
    std::vector<std::shared_ptr<RecordingTransfer>> transfers(threads * perThread);
    std::vector<std::thread::id> starters;
    std::vector<std::thread> starting;
    std::mutex startersMutex;
    for (int t = 0; t < threads; ++t) {
        starting.emplace_back([&, t] {
            {
                std::lock_guard lock(startersMutex);
                starters.push_back(std::this_thread::get_id());
            }
            for (int i = 0; i < perThread; ++i) {
                const int n = t * perThread + i;
                transfers[n] =
                    std::make_shared<RecordingTransfer>(server.url("/n/" + std::to_string(n)), log);
                worker.start(transfers[n]);
            }
        });
    }
    for (auto& thread : starting) {
        thread.join();
    }
    ASSERT_TRUE(waitUntil([&] { return log.total == threads * perThread; }));
    waitUntil([] { return false; }, 0.05); // no second end arrives late
    std::lock_guard lock(log.mutex);
    EXPECT_EQ(log.total, threads * perThread);
    for (int n = 0; n < threads * perThread; ++n) {
        EXPECT_EQ(log.ends[transfers[n].get()], 1) << n;
        EXPECT_EQ(transfers[n]->result(), CURLE_OK) << n;
        EXPECT_EQ(transfers[n]->body(), "answer " + std::to_string(n)) << n;
    }
    for (const auto& finisher : log.finishingThreads) {
        EXPECT_EQ(std::count(starters.begin(), starters.end(), finisher), 0);
        EXPECT_EQ(finisher == std::this_thread::get_id(), onMainLoop());
    }
    EXPECT_EQ(log.cancelled, 0);
}

// Running transfers that are cancelled end once, as cancelled; the driver goes on with
// the others, and a transfer started after them runs.
TEST_P(CurlDrivers, CancelledTransfersEndOnceAndTheOthersGoOn) {
    EchoServer server;
    CurlDriver& worker = driver();
    RecordingTransfer::Log log;
    std::vector<std::shared_ptr<RecordingTransfer>> slow;
    for (int i = 0; i < 5; ++i) {
        slow.push_back(std::make_shared<RecordingTransfer>(server.url("/slow"), log));
        worker.start(slow.back());
    }
    auto quick = std::make_shared<RecordingTransfer>(server.url("/n/7"), log);
    worker.start(quick);
    ASSERT_TRUE(waitUntil([&] { return log.total == 1; }));
    EXPECT_EQ(quick->body(), "answer 7");
    for (const auto& transfer : slow) {
        worker.cancel(transfer);
        worker.cancel(transfer); // a second cancel changes nothing
    }
    ASSERT_TRUE(waitUntil([&] { return log.total == 6; }));
    auto after = std::make_shared<RecordingTransfer>(server.url("/n/8"), log);
    worker.start(after);
    ASSERT_TRUE(waitUntil([&] { return log.total == 7; }));
    std::lock_guard lock(log.mutex);
    EXPECT_EQ(log.cancelled, 5);
    EXPECT_EQ(after->body(), "answer 8");
    for (const auto& transfer : slow) {
        EXPECT_EQ(log.ends[transfer.get()], 1);
    }
}

// A cancel the driver takes before the transfer's start (asked for from different
// threads, the two can be taken in different turns) ends the transfer as cancelled when
// the start comes; nothing goes out. A transfer cancelled and never started is not kept.
TEST_P(CurlDrivers, ACancelTakenBeforeTheStartEndsTheTransferAsCancelled) {
    EchoServer server;
    CurlDriver& worker = driver();
    RecordingTransfer::Log log;
    auto transfer = std::make_shared<RecordingTransfer>(server.url("/n/3"), log);
    worker.cancel(transfer);
    waitUntil([] { return false; }, 0.1); // the driver takes the cancel alone
    worker.start(transfer);
    ASSERT_TRUE(waitUntil([&] { return log.total == 1; }));
    waitUntil([] { return false; }, 0.05); // no second end arrives late
    {
        std::lock_guard lock(log.mutex);
        EXPECT_EQ(log.cancelled, 1);
        EXPECT_EQ(log.ends[transfer.get()], 1);
        EXPECT_EQ(transfer->result(), CURLE_ABORTED_BY_CALLBACK);
        EXPECT_EQ(transfer->body(), "");
    }

    auto neverStarted = std::make_shared<RecordingTransfer>(server.url("/n/4"), log);
    const std::weak_ptr<RecordingTransfer> watched = neverStarted;
    worker.cancel(neverStarted);
    neverStarted.reset();
    EXPECT_TRUE(waitUntil([&] { return watched.expired(); }));
}

// A transfer whose end starts another (as a completion that sends the next request would)
// does not stall the driver.
TEST_P(CurlDrivers, ATransferMayStartTheNextFromItsEnd) {
    EchoServer server;
    CurlDriver& worker = driver();
    std::atomic<int> ended{0};
    struct Chained final : CurlTransfer {
        Chained(EchoServer& server, CurlDriver& worker, std::atomic<int>& ended, int left)
            : server_(server), worker_(worker), ended_(ended), left_(left), url_(server.url("/n/1")) {
            curl_easy_setopt(handle(), CURLOPT_URL, url_.c_str());
            curl_easy_setopt(handle(), CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(
                handle(), CURLOPT_WRITEFUNCTION,
                +[](char*, size_t size, size_t count, void*) { return size * count; });
        }
        void finished(CURLcode, bool) override {
            ++ended_;
            if (left_ > 0) {
                worker_.start(std::make_shared<Chained>(server_, worker_, ended_, left_ - 1));
            }
        }
        EchoServer& server_;
        CurlDriver& worker_;
        std::atomic<int>& ended_;
        int left_;
        std::string url_;
    };
    worker.start(std::make_shared<Chained>(server, worker, ended, 9));
    EXPECT_TRUE(waitUntil([&] { return ended == 10; }));
}

// A transfer that waits for an answer that does not come ends when its time is up: the
// driver wakes for curl's timers, not only for its sockets.
TEST_P(CurlDrivers, ATransferWithoutAnAnswerEndsWhenItsTimeIsUp) {
    EchoServer server;
    RecordingTransfer::Log log;
    auto waiting = std::make_shared<RecordingTransfer>(server.url("/slow"), log);
    curl_easy_setopt(waiting->handle(), CURLOPT_TIMEOUT_MS, 300L);
    driver().start(waiting);
    ASSERT_TRUE(waitUntil([&] { return log.total == 1; }));
    EXPECT_EQ(waiting->result(), CURLE_OPERATION_TIMEDOUT);
}
