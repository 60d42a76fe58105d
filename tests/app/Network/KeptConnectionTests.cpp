// Requests on kept-alive connections that the service closes with a TLS close notice: once
// the connection is idle (nothing may be lost or repeated) and while a request is on its
// way (a GET is sent again once on a fresh connection, a POST never).

#include "platform/Alamofire/Session.h"
#include "platform/Foundation/RunLoop.h"
#include "tests/app/Network/ServiceTestSupport.h"

#include <algorithm>

namespace networktest {
namespace {

using devservice::CloseNotice;

class KeptConnectionTest : public ServiceTest {
  protected:
    void configure(DevService::Options& options) override {
        // Connections stay open however slowly the test runs, until a fault ends them.
        options.keepAliveSeconds = 300;
    }

    void closeWithNotice(const std::string& path, CloseNotice when, int times) {
        devservice::Fault fault;
        fault.closeNotice = when;
        fault.times = times;
        service().setFault(path, fault);
    }

    int sent(const std::string& path) const {
        const auto requests = apiRequests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                              [&](const auto& request) { return request.path == path; }));
    }

    // A GET and a POST to the first base URL.
    Answer get() {
        return await([](auto done) { apiClient.getVideoInfo("1001", "", done); });
    }
    Answer post() {
        return await([](auto done) { apiClient.indexVodList(1, "1", "15", done); });
    }

    // The connection the last answer came on has been closed with a notice, and the
    // notice has reached this side.
    void awaitClosed(int closed) {
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] { return service().connectionsEndedWithCloseNotice() == closed; }, 60));
    }
};

TEST_F(KeptConnectionTest, AConnectionClosedWhileIdleIsNotUsedAgainForAGetOrAPost) {
    closeWithNotice("api/indexVodList", CloseNotice::afterAnswer, 1);
    ASSERT_FALSE(post().error);
    awaitClosed(1);
    const auto opened = AF().connectionsOpened();
    const Answer afterClose = get();
    EXPECT_FALSE(afterClose.error) << afterClose.error->domain;
    EXPECT_EQ(sent("/api/getVideoInfo"), 1);
    EXPECT_EQ(AF().connectionsOpened(), opened + 1);

    closeWithNotice("api/getVideoInfo", CloseNotice::afterAnswer, 1);
    ASSERT_FALSE(get().error);
    awaitClosed(2);
    const Answer postAfterClose = post();
    EXPECT_FALSE(postAfterClose.error) << postAfterClose.error->domain;
    EXPECT_EQ(sent("/api/indexVodList"), 2);
}

TEST_F(KeptConnectionTest, AGetWhoseConnectionClosesOnTheWayIsSentOnceMoreOnAFreshConnection) {
    ASSERT_FALSE(post().error); // the connection the GET will go out on
    closeWithNotice("api/getVideoInfo", CloseNotice::insteadOfAnswer, 1);
    const auto opened = AF().connectionsOpened();
    const Answer answer = get();
    EXPECT_FALSE(answer.error) << answer.error->domain;
    EXPECT_TRUE(answer.json);
    EXPECT_EQ(sent("/api/getVideoInfo"), 2);
    EXPECT_EQ(AF().connectionsOpened(), opened + 1);
}

TEST_F(KeptConnectionTest, AGetIsSentAgainOnlyOnce) {
    ASSERT_FALSE(post().error);
    closeWithNotice("api/getVideoInfo", CloseNotice::insteadOfAnswer, -1);
    const Answer answer = get();
    ASSERT_TRUE(answer.error);
    EXPECT_EQ(answer.error->domain, KKriplog::transportErrorDomain);
    EXPECT_EQ(sent("/api/getVideoInfo"), 2);
    EXPECT_EQ(service().connectionsEndedWithCloseNotice(), 2);
}

TEST_F(KeptConnectionTest, APostWhoseConnectionClosesOnTheWayFailsWithoutBeingSentAgain) {
    ASSERT_FALSE(get().error);
    closeWithNotice("api/indexVodList", CloseNotice::insteadOfAnswer, 1);
    const Answer answer = post();
    ASSERT_TRUE(answer.error);
    EXPECT_EQ(answer.error->domain, KKriplog::transportErrorDomain);
    EXPECT_EQ(answer.error->code, KKriplog::localErrorCode);
    EXPECT_EQ(sent("/api/indexVodList"), 1);

    // The next request finds a working connection.
    EXPECT_FALSE(post().error);
    EXPECT_EQ(sent("/api/indexVodList"), 2);
}

} // namespace
} // namespace networktest
