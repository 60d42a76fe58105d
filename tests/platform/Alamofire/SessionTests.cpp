#include "platform/Alamofire/Session.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/Network/MainLoopCurl.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace {

// A body of a megabyte and a half in which every 16-byte block differs.
const std::string& largeBody() {
    static const std::string body = [] {
        std::string text;
        for (int block = 0; text.size() < 1536 * 1024; ++block) {
            char line[17];
            std::snprintf(line, sizeof line, "%015d\n", block);
            text += line;
        }
        return text;
    }();
    return body;
}

// A plain HTTP server on loopback that records what it received.
class LoopbackServer {
  public:
    struct Received {
        std::string method;
        std::string path;
        std::string query;
        std::string body;
        httplib::Headers headers;
        httplib::Params params;
    };

    LoopbackServer() {
        server_.new_task_queue = [] { return new httplib::ThreadPool(8); };
        server_.set_keep_alive_timeout(1); // idle connections do not hold up stop()
        auto record = [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            const auto query = request.target.find('?');
            received_.push_back(
                {request.method, request.path,
                 query == std::string::npos ? std::string() : request.target.substr(query + 1), request.body,
                 request.headers, request.params});
            response.set_header("X-Echo", "yes");
            response.set_content("{\"ok\":true}", "application/json");
        };
        server_.Get("/echo", record);
        server_.Post("/echo", record);
        server_.Get("/empty",
                    [](const httplib::Request&, httplib::Response& response) { response.status = 200; });
        server_.Get("/large", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(largeBody(), "application/octet-stream");
        });
        server_.Get("/no-content",
                    [](const httplib::Request&, httplib::Response& response) { response.status = 204; });
        server_.Get("/reset",
                    [](const httplib::Request&, httplib::Response& response) { response.status = 205; });
        server_.Get("/error-with-body", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("oops", "text/plain");
        });
        server_.Get("/slow", [this](const httplib::Request&, httplib::Response& response) {
            for (int i = 0; i < 300 && !stopping_; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            response.set_content("late", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() only ends a server that is already listening.
        while (!server_.is_running()) {
            std::this_thread::yield();
        }
    }

    ~LoopbackServer() {
        stopping_ = true;
        server_.stop();
        thread_.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    std::vector<Received> received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Received> received_;
    std::atomic<bool> stopping_{false};
};

// Sends `request` and runs the main loop until its response arrives.
AFDataResponse await(const std::shared_ptr<DataRequest>& request, bool* deliveredOnMain = nullptr) {
    std::optional<AFDataResponse> response;
    request->responseData(DispatchQueue::main(), [&](const AFDataResponse& delivered) {
        if (deliveredOnMain != nullptr) {
            *deliveredOnMain = RunLoop::main().isLoopThread();
        }
        response = delivered;
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return response.has_value(); }, 30));
    return response.value_or(AFDataResponse{});
}

// Runs transfers on the main loop's driver, each start only when released.
class HeldStartDriver final : public CurlDriver {
  public:
    void start(std::shared_ptr<CurlTransfer> transfer) override { held.push_back(std::move(transfer)); }
    void cancel(const std::shared_ptr<CurlTransfer>& transfer) override {
        MainLoopCurl::shared().cancel(transfer);
    }
    void releaseStarts() {
        for (auto& transfer : held) {
            MainLoopCurl::shared().start(std::move(transfer));
        }
        held.clear();
    }
    std::vector<std::shared_ptr<CurlTransfer>> held;
};

// Records the starts and cancels a session asks of it, and runs nothing.
class RecordingDriver final : public CurlDriver {
  public:
    void start(std::shared_ptr<CurlTransfer> transfer) override {
        std::lock_guard lock(mutex_);
        started_.push_back(std::move(transfer));
    }
    void cancel(const std::shared_ptr<CurlTransfer>& transfer) override {
        std::lock_guard lock(mutex_);
        cancelled_.insert(transfer.get());
    }
    // How many transfers were started and never cancelled.
    int uncancelledStarts() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(started_.begin(), started_.end(), [this](const auto& transfer) {
            return cancelled_.count(transfer.get()) == 0;
        }));
    }

  private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlTransfer>> started_;
    std::set<const CurlTransfer*> cancelled_;
};

class SessionTest : public testing::Test {
  protected:
    LoopbackServer server;
};

} // namespace

TEST_F(SessionTest, GetSendsTheEncodedQueryAndPostTheFormBody) {
    // ("?" stays unescaped, as in the framework's encoder; this test server refuses a
    // second "?" in a request target, so the query carries only "/".)
    const Parameters query{{"keyword", "a+b c&d=视频/"}, {"page", "2"}};
    const Parameters form{{"keyword", "a+b c&d=视频/?"}, {"page", "2"}};
    bool onMain = false;
    const auto got =
        await(AF().request(server.url("/echo"), HTTPMethod::get, query, {{"Accept", "x/y"}}), &onMain);
    ASSERT_TRUE(got.isSuccess()) << got.error()->description;
    EXPECT_TRUE(onMain);
    EXPECT_EQ(*got.value(), "{\"ok\":true}");
    EXPECT_EQ(got.response->statusCode, 200);
    EXPECT_EQ(got.response->headers.value("x-echo"), "yes");

    const auto posted = await(AF().request(server.url("/echo"), HTTPMethod::post, form, {{"Accept", "x/y"}}));
    ASSERT_TRUE(posted.isSuccess());

    const auto received = server.received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].method, "GET");
    EXPECT_EQ(received[0].query, "keyword=a%2Bb%20c%26d%3D%E8%A7%86%E9%A2%91/&page=2");
    EXPECT_TRUE(received[0].body.empty());
    EXPECT_EQ(received[0].params.find("keyword")->second, "a+b c&d=视频/");
    EXPECT_EQ(received[1].method, "POST");
    EXPECT_TRUE(received[1].query.empty());
    EXPECT_EQ(received[1].body, "keyword=a%2Bb%20c%26d%3D%E8%A7%86%E9%A2%91/?&page=2");
    EXPECT_EQ(received[1].params.find("keyword")->second, "a+b c&d=视频/?");
    EXPECT_STREQ(httplib::detail::get_header_value(received[1].headers, "Content-Type", 0, ""),
                 "application/x-www-form-urlencoded; charset=utf-8");
    for (const auto& request : received) {
        EXPECT_STREQ(httplib::detail::get_header_value(request.headers, "Accept", 0, ""), "x/y");
    }
}

TEST_F(SessionTest, HeadersWithLineBreaksAreNotSent) {
    const auto got =
        await(AF().request(server.url("/echo"), HTTPMethod::get, {},
                           {{"X-Good", "1"}, {"X-Bad", "a\r\nX-Injected: 1"}, {"X-Bad\nName", "2"}}));
    ASSERT_TRUE(got.isSuccess());
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_STREQ(httplib::detail::get_header_value(received[0].headers, "X-Good", 0, ""), "1");
    EXPECT_EQ(received[0].headers.count("X-Injected"), 0u);
    EXPECT_EQ(received[0].headers.count("X-Bad"), 0u);
}

TEST_F(SessionTest, AnEmptyBodyIsAFailureUnlessTheStatusSaysThereIsNone) {
    const auto empty = await(AF().request(server.url("/empty")));
    ASSERT_FALSE(empty.isSuccess());
    EXPECT_EQ(empty.error()->kind, AFError::Kind::inputDataNilOrZeroLength);

    for (const char* path : {"/no-content", "/reset"}) {
        const auto none = await(AF().request(server.url(path)));
        ASSERT_TRUE(none.isSuccess()) << path;
        EXPECT_TRUE(none.value()->empty());
    }

    // The status plays no part unless the request validates it.
    const auto failed = await(AF().request(server.url("/error-with-body")));
    ASSERT_TRUE(failed.isSuccess());
    EXPECT_EQ(*failed.value(), "oops");
    EXPECT_EQ(failed.response->statusCode, 500);

    const auto validated = await(AF().request(server.url("/error-with-body"))->validate());
    ASSERT_FALSE(validated.isSuccess());
    EXPECT_EQ(validated.error()->kind, AFError::Kind::responseValidationFailed);
    EXPECT_EQ(validated.error()->statusCode, 500);
    // The body that came with the refused status is still there.
    ASSERT_NE(validated.body(), nullptr);
    EXPECT_EQ(*validated.body(), "oops");
    EXPECT_EQ(*failed.body(), "oops");
    EXPECT_EQ(empty.body(), nullptr);
}

// Handlers that keep the response get the one the request holds: its body arrives whole
// and once, however large, and outlives the request.
TEST_F(SessionTest, SharedHandlersGetTheOneResponseWithTheWholeBody) {
    auto request = AF().request(server.url("/large"));
    std::shared_ptr<const AFDataResponse> first;
    std::shared_ptr<const AFDataResponse> second;
    std::optional<AFDataResponse> copied;
    request->responseSharedData(DispatchQueue::main(), [&](const auto& response) { first = response; })
        ->responseSharedData(DispatchQueue::main(), [&](const auto& response) { second = response; })
        ->responseData(DispatchQueue::main(), [&](const AFDataResponse& response) { copied = response; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return first && second && copied; }, 30));
    EXPECT_EQ(first, second);
    ASSERT_TRUE(first->isSuccess());
    EXPECT_TRUE(*first->value() == largeBody());
    EXPECT_TRUE(*copied->value() == largeBody());
    EXPECT_EQ(first->body(), first->value());

    // A handler added after the answer gets the same response at once.
    std::shared_ptr<const AFDataResponse> late;
    request->responseSharedData(DispatchQueue::main(), [&](const auto& response) { late = response; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return late != nullptr; }, 30));
    EXPECT_EQ(late, first);
    request.reset();
    EXPECT_TRUE(*first->value() == largeBody());
}

TEST_F(SessionTest, FetchDataDeliversBytesOnTheGivenQueue) {
    std::atomic<bool> done{false};
    std::atomic<bool> onMain{true};
    std::string bytes;
    AF().fetchData(server.url("/echo"), DispatchQueue::global(), [&](const AFDataResponse& response) {
        onMain = RunLoop::main().isLoopThread();
        bytes = response.isSuccess() ? *response.value() : "";
        done = true;
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done.load(); }, 30));
    EXPECT_FALSE(onMain);
    EXPECT_EQ(bytes, "{\"ok\":true}");
}

TEST_F(SessionTest, SequentialRequestsToOneHostShareOneConnection) {
    Session session(Session::Configuration{});
    long connections = 0;
    for (int i = 0; i < 5; ++i) {
        const auto got =
            await(session.request(server.url("/echo"), HTTPMethod::post, {{"i", std::to_string(i)}}));
        ASSERT_TRUE(got.isSuccess());
        connections += got.metrics.newConnections;
    }
    EXPECT_EQ(connections, 1);
    EXPECT_EQ(session.connectionsOpened(), 1u);
}

TEST_F(SessionTest, TransportFailuresAreReportedAsSuch) {
    const auto refused = await(AF().request("http://127.0.0.1:1/x"));
    ASSERT_FALSE(refused.isSuccess());
    EXPECT_EQ(refused.error()->kind, AFError::Kind::sessionTaskFailed);
    EXPECT_EQ(refused.error()->transportCode, CURLE_COULDNT_CONNECT);
    EXPECT_FALSE(refused.response.has_value());

    const auto invalid = await(AF().request("not a url"));
    ASSERT_FALSE(invalid.isSuccess());
    EXPECT_EQ(invalid.error()->kind, AFError::Kind::invalidURL);

    Session impatient(Session::Configuration{1});
    const auto timedOut = await(impatient.request(server.url("/slow")));
    ASSERT_FALSE(timedOut.isSuccess());
    EXPECT_EQ(timedOut.error()->transportCode, CURLE_OPERATION_TIMEDOUT);
}

TEST_F(SessionTest, CancelEndsARunningRequestWithACancellationError) {
    auto request = AF().request(server.url("/slow"));
    std::optional<AFDataResponse> response;
    request->responseData(DispatchQueue::main(),
                          [&](const AFDataResponse& delivered) { response = delivered; });
    request->cancel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return response.has_value(); }, 30));
    ASSERT_FALSE(response->isSuccess());
    EXPECT_EQ(response->error()->kind, AFError::Kind::explicitlyCancelled);

    // A handler added after the end gets the same outcome.
    const auto again = await(request);
    EXPECT_EQ(again.error()->kind, AFError::Kind::explicitlyCancelled);
}

// A cancel that reaches the driver before the request's transfer starts there (the driver
// takes it in a turn of its own) still ends the request as cancelled: nothing goes out.
TEST_F(SessionTest, ACancelTakenBeforeTheTransferStartsEndsTheRequestAsCancelled) {
    HeldStartDriver driver;
    Session session(Session::Configuration{}, driver);
    auto request = session.request(server.url("/echo"));
    std::optional<AFDataResponse> response;
    request->responseData(DispatchQueue::main(),
                          [&](const AFDataResponse& delivered) { response = delivered; });
    ASSERT_EQ(driver.held.size(), 1u);
    request->cancel();
    RunLoop::main().runUntil([] { return false; }, 0.05);
    driver.releaseStarts();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return response.has_value(); }, 30));
    ASSERT_FALSE(response->isSuccess());
    EXPECT_EQ(response->error()->kind, AFError::Kind::explicitlyCancelled);
    EXPECT_TRUE(server.received().empty());
}

// A cancel from another thread at any moment of the start either stops the request before
// a transfer starts or reaches the transfer: it is never lost between the two.
TEST_F(SessionTest, ACancelFromAnotherThreadDuringTheStartIsNeverLost) {
    RecordingDriver driver;
    Session session(Session::Configuration{}, driver);
    for (int attempt = 0; attempt < 400; ++attempt) {
        auto request = session.request(server.url("/echo"));
        std::atomic<bool> go{false};
        std::thread canceller([&] {
            while (!go) {
            }
            // A few microseconds later each time, to meet the start at its different moments.
            const auto at =
                std::chrono::steady_clock::now() + std::chrono::nanoseconds(200 * (attempt % 100));
            while (std::chrono::steady_clock::now() < at) {
            }
            request->cancel();
        });
        go = true;
        request->responseData(DispatchQueue::main(), [](const AFDataResponse&) {});
        canceller.join();
    }
    RunLoop::main().runPending();
    EXPECT_EQ(driver.uncancelledStarts(), 0);
}
