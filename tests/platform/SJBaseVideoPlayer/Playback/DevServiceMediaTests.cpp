// The service's own media: HTTPS with the service's certificate authority, and media
// that answers only requests carrying the headers of the source's parse answer.
#include "platform/Network/NetworkPolicy.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/support/TestSupport.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

namespace {

using playertest::waitFor;

class ServiceMedia : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        DevService::Options options;
        options.dataDir = testsupport::freshFolder("devservice");
        options.mediaDir = testsupport::sharedMediaDir();
        service_ = new DevService(options);
        ASSERT_TRUE(service_->start()) << service_->lastError();
        ASSERT_TRUE(service_->waitForMedia(120));
        // The media's name is known only to the service's resolver: both engines find it there.
        NetworkPolicy::setCertificateAuthorityFile(service_->caFile());
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
            true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                      "https://dns.orvex.test:" + std::to_string(service_->port1()) + "/dns-query",
                      {NWEndpoint::hostPort("127.0.0.1", service_->port1())}));
    }
    static void TearDownTestSuite() {
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
        NetworkPolicy::setCertificateAuthorityFile({});
        service_->stop();
        delete service_;
        service_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(service_, nullptr);
        MediaEngineSettings::setAudioOutputEnabled(false);
        MediaEngineSettings::setCertificateAuthorityFile(service_->caFile());
    }
    void TearDown() override { MediaEngineSettings::setCertificateAuthorityFile({}); }

    static std::string media(const std::string& source, const std::string& vodId) {
        return service_->origin() + "/media/" + source + "/" + vodId + "/1/master.m3u8";
    }
    static std::shared_ptr<SJVideoPlayerURLAsset> asset(const std::string& url, AVHTTPHeaderFields fields) {
        auto avAsset =
            std::make_shared<AVURLAsset>(url, AVURLAssetOptions{{AVURLAssetHTTPHeaderFieldsKey, fields}});
        return SJVideoPlayerURLAsset::initWithAVAsset(avAsset, 0, std::make_shared<SJPlayModel>());
    }
    static bool plays(SJMediaPlaybackController& controller, std::shared_ptr<SJVideoPlayerURLAsset> media) {
        controller.setMedia(std::move(media));
        controller.play();
        waitFor(
            [&] {
                return controller.assetStatus() == SJAssetStatusFailed ||
                       (controller.currentTime() > 1.0 && controller.latestFrame() != nullptr);
            },
            30);
        return controller.assetStatus() == SJAssetStatusReadyToPlay && controller.latestFrame() != nullptr;
    }

    static DevService* service_;
};

DevService* ServiceMedia::service_ = nullptr;

const AVHTTPHeaderFields lzHeaders{
    {"User-Agent", "OrvexPlayer/2.0 (lzm3u8)"},
    {"Referer", "https://lz.orvex.test/"},
    {"X-Play-Key", "lz-7f3a9c"},
};

TEST_F(ServiceMedia, ThePlatformEnginePlaysGuardedMediaOverVerifiedHttpsWithItsHeaders) {
    SJAVMediaPlaybackController controller;
    EXPECT_TRUE(plays(controller, asset(media("lzm3u8", "1001"), lzHeaders)))
        << controller.errorDescription();

    SJAVMediaPlaybackController withoutHeaders;
    EXPECT_FALSE(plays(withoutHeaders, asset(media("lzm3u8", "1001"), {})));
    EXPECT_EQ(withoutHeaders.assetStatus(), SJAssetStatusFailed);
}

TEST_F(ServiceMedia, BothEnginesRefuseAServerTheirCertificatesDoNotVouchFor) {
    MediaEngineSettings::setCertificateAuthorityFile({});
    SJAVMediaPlaybackController platform;
    EXPECT_FALSE(plays(platform, asset(media("lzm3u8", "1001"), lzHeaders)));
    EXPECT_EQ(platform.assetStatus(), SJAssetStatusFailed);
    SJAliMediaPlaybackController second;
    EXPECT_FALSE(plays(second, asset(media("hnm3u8", "1002"), {})));
    EXPECT_EQ(second.assetStatus(), SJAssetStatusFailed);
}

TEST_F(ServiceMedia, TheSecondEnginePlaysUnguardedMediaOverVerifiedHttps) {
    SJAliMediaPlaybackController controller;
    EXPECT_TRUE(plays(controller, asset(media("hnm3u8", "1002"), {}))) << controller.errorDescription();
}

} // namespace
