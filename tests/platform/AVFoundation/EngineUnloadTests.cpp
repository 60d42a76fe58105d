#include "platform/AVFoundation/AVPlayer.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/Alamofire/Session.h"
#include "platform/AliyunPlayer/GstPlaybinEngine.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/Network/NWParameters.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/SDWebImage/SDWebImageManager.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/support/TestSupport.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The media engine's library is unloaded once the last engine is gone, and what the rest
// of the process does over HTTPS afterwards (the HTTP session's requests, names resolved
// over DNS over HTTPS, the image loader's downloads) works as before; the next player
// loads the library again and plays. Everything goes to the development service over
// HTTPS on loopback, the media too (so that the engine's own TLS stack was in use).
class EngineUnloadTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        DevService::Options options;
        options.dataDir = testsupport::freshFolder("engine-unload-service");
        options.mediaDir = testsupport::sharedMediaDir();
        service_ = new DevService(options);
        ASSERT_TRUE(service_->start()) << service_->lastError();
        ASSERT_TRUE(service_->waitForMedia(120));
        NetworkPolicy::setCertificateAuthorityFile(service_->caFile());
        MediaEngineSettings::setCertificateAuthorityFile(service_->caFile());
        MediaEngineSettings::setAudioOutputEnabled(false);
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
            true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                      "https://dns.orvex.test:" + std::to_string(service_->port1()) + "/dns-query",
                      {NWEndpoint::hostPort("127.0.0.1", service_->port1())}));
    }

    static void TearDownTestSuite() {
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
        service_->stop();
        delete service_;
        service_ = nullptr;
    }

    // Plays the service's short video until a picture that is not blank shows.
    static bool playsAPicture() {
        auto player = AVPlayer::playerWithPlayerItem(
            AVPlayerItem::playerItemWithURL(service_->origin() + "/media/short/1/master.m3u8"));
        player->setVolume(0);
        player->play();
        return playertest::waitFor([&] {
            const auto frame = player->latestFrame();
            return frame != nullptr && !frame->isBlank();
        });
    }

    // A GET through the framework's default session on the service's name (resolved over
    // DNS over HTTPS); the error text when it failed.
    static std::optional<std::string> sessionRequestFails(const std::string& path) {
        std::optional<std::string> failure = "no answer";
        bool answered = false;
        Session::defaultSession()
            .request("https://api.orvex.test:" + std::to_string(service_->port1()) + path)
            ->responseData(DispatchQueue::main(), [&](const AFDataResponse& response) {
                answered = true;
                failure = response.isSuccess() ? std::nullopt
                                               : std::optional<std::string>(response.error()->description);
            });
        playertest::waitFor([&] { return answered; }, 30);
        return failure;
    }

    // A picture not seen before, through the image loader.
    static bool imageLoaderDownloads(const std::string& name) {
        bool answered = false;
        std::shared_ptr<UIImage> image;
        SDWebImageManager::sharedManager().loadImageWithURL(
            service_->origin() + "/images/poster/" + name + ".png", 0,
            [&](std::shared_ptr<UIImage> loaded, std::optional<NSError>, SDImageCacheType,
                const std::string&) {
                answered = true;
                image = std::move(loaded);
            });
        playertest::waitFor([&] { return answered; }, 30);
        return image != nullptr;
    }

    // Plays the short video on the second engine until a picture that is not blank shows.
    static bool secondEnginePlaysAPicture() {
        auto engine = std::make_shared<GstPlaybinEngine>();
        engine->setVolume(0);
        MediaRequest request;
        request.url = service_->origin() + "/media/short/1/master.m3u8";
        engine->load(request);
        return playertest::waitFor([&] {
            const auto frame = engine->latestFrame();
            return frame != nullptr && !frame->isBlank();
        });
    }

    static DevService* service_;
};

DevService* EngineUnloadTest::service_ = nullptr;

TEST_F(EngineUnloadTest, HTTPSWorksAfterTheUnloadAndTheNextPlayerLoadsTheLibraryAgain) {
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(playsAPicture());
        // While the library is being unloaded, and after.
        EXPECT_EQ(sessionRequestFails("/images/poster/during-" + std::to_string(round) + ".png"),
                  std::nullopt);
        EXPECT_TRUE(imageLoaderDownloads("during-" + std::to_string(round)));
        EXPECT_TRUE(playertest::waitFor([] { return !MpvLibrary::isLoaded(); }, 20))
            << "the library stays after the last player is gone";
        for (int request = 0; request < 3; ++request) {
            EXPECT_EQ(sessionRequestFails("/images/poster/after-" + std::to_string(round) + ".png"),
                      std::nullopt);
        }
        EXPECT_TRUE(imageLoaderDownloads("after-" + std::to_string(round)));
    }
    ASSERT_TRUE(playsAPicture()) << "played once more on the reloaded library";
}

// The second engine plays in helper processes, so FFmpeg's libraries in this process are
// libmpv's alone: the library unloads as usual after the second engine ran, and both
// engines play on.
TEST_F(EngineUnloadTest, AfterTheSecondEngineRanTheLibraryUnloadsAndBothEnginesPlayOn) {
    ASSERT_TRUE(playsAPicture());
    ASSERT_TRUE(secondEnginePlaysAPicture());
    EXPECT_TRUE(playertest::waitFor([] { return !MpvLibrary::isLoaded(); }, 20));
    EXPECT_TRUE(secondEnginePlaysAPicture());
    EXPECT_TRUE(playsAPicture());
    EXPECT_TRUE(secondEnginePlaysAPicture());
}

} // namespace
