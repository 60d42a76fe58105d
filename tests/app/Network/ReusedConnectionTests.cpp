// Requests on a kept-alive connection that the service closed while it was idle: a GET
// goes out again on a fresh connection, at most once; a POST whose body may have reached
// the service is never sent twice.

#include "tests/app/Network/ServiceTestSupport.h"

#include "platform/Alamofire/Session.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SDWebImage/SDWebImageDownloader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace networktest {
namespace {

using devservice::ConnectionEnd;

class ReusedConnectionTest : public ServiceTest {
  protected:
    std::shared_ptr<const AFDataResponse> send(const std::string& path, HTTPMethod method = HTTPMethod::get) {
        std::shared_ptr<const AFDataResponse> answer;
        session_.request(service().origin() + path, method)
            ->responseSharedData(DispatchQueue::main(), [&](const auto& response) { answer = response; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return answer != nullptr; }, 60));
        return answer ? answer : std::make_shared<const AFDataResponse>();
    }

    // Two requests on one connection; the service ends it as `end` says after the second
    // answer, while the session keeps it for its next request.
    void openConnectionThatWillEnd(ConnectionEnd end) {
        ASSERT_TRUE(send("/images/cover/first.png")->isSuccess());
        devservice::Fault fault;
        fault.afterReply = end;
        fault.times = 1;
        service().setFault("images/cover/second.png", fault);
        const int endedBefore = service().connectionsEndedAfterReply();
        const auto second = send("/images/cover/second.png");
        ASSERT_TRUE(second->isSuccess());
        ASSERT_EQ(second->metrics.newConnections, 0)
            << "the second request reuses the first one's connection";
        if (end == ConnectionEnd::closeNotify) {
            // The close notice has been sent before the next request starts.
            ASSERT_TRUE(RunLoop::main().runUntil(
                [&] { return service().connectionsEndedAfterReply() > endedBefore; }, 30));
        }
        service().clearRequests();
    }

    std::size_t received(const std::string& path) const {
        const auto requests = apiRequests();
        return static_cast<std::size_t>(std::count_if(
            requests.begin(), requests.end(), [&](const auto& request) { return request.path == path; }));
    }

    Session session_{Session::Configuration{}};
};

TEST_F(ReusedConnectionTest, AGetIsSentOnceMoreOnAFreshConnectionWhenTheServiceResetTheReusedOne) {
    openConnectionThatWillEnd(ConnectionEnd::reset);
    const auto third = send("/images/cover/third.png");
    ASSERT_TRUE(third->isSuccess()) << third->error()->description;
    EXPECT_FALSE(third->value()->empty());
    EXPECT_EQ(third->metrics.resent, 1);
    EXPECT_EQ(third->metrics.newConnections, 1);
    EXPECT_EQ(received("/images/cover/third.png"), 2u) << "read on the reset connection, then answered";

    // The fresh connection serves the next request as usual.
    const auto fourth = send("/images/cover/fourth.png");
    ASSERT_TRUE(fourth->isSuccess());
    EXPECT_EQ(fourth->metrics.resent, 0);
    EXPECT_EQ(fourth->metrics.newConnections, 0);
}

TEST_F(ReusedConnectionTest, APostOnAResetConnectionFailsAndIsNotSentAgain) {
    openConnectionThatWillEnd(ConnectionEnd::reset);
    const auto signIn = send("/api/touristLogin", HTTPMethod::post);
    ASSERT_FALSE(signIn->isSuccess());
    EXPECT_EQ(signIn->error()->kind, AFError::Kind::sessionTaskFailed);
    EXPECT_EQ(signIn->metrics.resent, 0);
    EXPECT_EQ(received("/api/touristLogin"), 1u) << "the service read it once and answered nothing";

    // Nothing of the failed request is left over for the next one.
    const auto again = send("/api/touristLogin", HTTPMethod::post);
    ASSERT_TRUE(again->isSuccess());
    EXPECT_EQ(received("/api/touristLogin"), 2u);
}

TEST_F(ReusedConnectionTest, AConnectionWithAPendingCloseNoticeIsNotReused) {
    openConnectionThatWillEnd(ConnectionEnd::closeNotify);
    const auto third = send("/images/cover/third.png");
    ASSERT_TRUE(third->isSuccess()) << third->error()->description;
    EXPECT_EQ(third->metrics.newConnections, 1);
    EXPECT_EQ(third->metrics.resent, 0) << "nothing went out on the closed connection";
    EXPECT_EQ(received("/images/cover/third.png"), 1u);

    openConnectionThatWillEnd(ConnectionEnd::closeNotify);
    const auto signIn = send("/api/touristLogin", HTTPMethod::post);
    ASSERT_TRUE(signIn->isSuccess()) << signIn->error()->description;
    EXPECT_EQ(signIn->metrics.newConnections, 1);
    EXPECT_EQ(received("/api/touristLogin"), 1u);
}

TEST_F(ReusedConnectionTest, TheImageLoaderGetsItsPictureWhenTheServiceResetTheReusedConnection) {
    SDWebImageDownloader downloader(30);
    const auto load = [&](const std::string& name) {
        bool done = false;
        std::shared_ptr<UIImage> loaded;
        std::optional<NSError> failure;
        downloader.downloadImageWithURL(
            service().origin() + "/images/cover/" + name + ".png",
            [&](std::shared_ptr<UIImage> image, std::optional<std::string>, std::optional<NSError> error) {
                loaded = std::move(image);
                failure = std::move(error);
                done = true;
            });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 60));
        EXPECT_FALSE(failure.has_value()) << name;
        return loaded != nullptr;
    };
    ASSERT_TRUE(load("poster-a"));
    devservice::Fault fault;
    fault.afterReply = ConnectionEnd::reset;
    fault.times = 1;
    service().setFault("images/cover/poster-b.png", fault);
    ASSERT_TRUE(load("poster-b"));
    service().clearRequests();

    EXPECT_TRUE(load("poster-c"));
    EXPECT_EQ(received("/images/cover/poster-c.png"), 2u) << "sent once more, on a fresh connection";
}

} // namespace
} // namespace networktest
