#include "platform/AVFoundation/Media/MediaRequest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(MediaURLRefusal, AcceptsOnlyNetworkAddressesForServiceMedia) {
    for (const std::string url : {"http://example.com/a.m3u8", "HTTPS://example.com:8443/v/a.mp4?x=1",
                                  "http://127.0.0.1:51234/playlist.m3u8"}) {
        EXPECT_EQ(mediaURLRefusal(url, MediaURLScope::Network), std::nullopt) << url;
    }
    for (const std::string url :
         {"file:///etc/passwd", "av://lavfi:testsrc", "lavf://file:/etc/passwd", "ftp://example.com/a.mp4",
          "/etc/passwd", "example.com/a.m3u8", "http:/a.m3u8", "http:///a.m3u8", "http://:80/a",
          "http://a.com/x y", "http://a.com/x\r\nX: y", "memory://abc", "edl://a;b", ""}) {
        EXPECT_NE(mediaURLRefusal(url, MediaURLScope::Network), std::nullopt) << url;
    }
}

TEST(MediaURLRefusal, AcceptsLocalFilesOnlyWhereTheProgramNamesThem) {
    EXPECT_EQ(mediaURLRefusal("file:///opt/orvex/resources/splash.mp4", MediaURLScope::NetworkOrFile),
              std::nullopt);
    EXPECT_EQ(mediaURLRefusal("file://localhost/opt/splash.mp4", MediaURLScope::NetworkOrFile), std::nullopt);
    EXPECT_NE(mediaURLRefusal("file://otherhost/share/splash.mp4", MediaURLScope::NetworkOrFile),
              std::nullopt);
    EXPECT_NE(mediaURLRefusal("file:splash.mp4", MediaURLScope::NetworkOrFile), std::nullopt);
    EXPECT_NE(mediaURLRefusal("av://lavfi:testsrc", MediaURLScope::NetworkOrFile), std::nullopt);
}

TEST(MakeMediaRequest, KeepsOnlySafeHeaderFieldsAndTakesTheUserAgentApart) {
    const MediaRequest request = makeMediaRequest("http://a.com/v.m3u8", 12.5,
                                                  {{"Referer", "http://a.com/"},
                                                   {"user-agent", "Player/2"},
                                                   {"X-Split", "a\r\nInjected: yes"},
                                                   {"X-Nul", std::string("a\0b", 3)},
                                                   {"Bad Name", "v"},
                                                   {"", "v"},
                                                   {"referer", "http://b.com/"},
                                                   {"Cookie", "k=v; k2=v2,x"}});
    EXPECT_EQ(request.userAgent, "Player/2");
    EXPECT_EQ(request.startPosition, 12.5);
    const std::vector<std::pair<std::string, std::string>> expected = {{"referer", "http://b.com/"},
                                                                       {"Cookie", "k=v; k2=v2,x"}};
    EXPECT_EQ(request.headerFields, expected);
}

TEST(MakeMediaRequest, StartsFromTheBeginningForPositionsThatAreNotPositive) {
    EXPECT_EQ(makeMediaRequest("http://a.com/v", -15, {}).startPosition, 0);
    EXPECT_EQ(makeMediaRequest("http://a.com/v", std::nan(""), {}).startPosition, 0);
    EXPECT_EQ(makeMediaRequest("http://a.com/v", INFINITY, {}).startPosition, 0);
}

} // namespace
