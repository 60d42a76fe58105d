// The application on a data root whose Documents folder cannot be written: it starts, the
// media cache proxy hands out no playback address (so players use the original one) and
// an export ends failed with a storage error, with no exception on the way.

#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "tests/support/app/AppJourney.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class UnwritableDocumentsJourney : public testsupport::app::AppJourneyTest {
  protected:
    void beforeLaunch() override {
        const auto documents = Paths::documents();
        if (::geteuid() != 0) {
            ::chmod(documents.c_str(), 0500); // read-only for everyone but the superuser
        } else {
            // The superuser writes anywhere: a file where the folder should be stops it too.
            std::filesystem::remove_all(documents);
            std::ofstream(documents) << "not a folder";
        }
    }

    void TearDown() override {
        AppJourneyTest::TearDown();
        ::chmod(Paths::documents().c_str(), 0700);
    }
};

TEST_F(UnwritableDocumentsJourney, TheApplicationStartsPlaysOriginalAddressesAndFailsExports) {
    ASSERT_NE(mainInterface(), nullptr);
    ASSERT_EQ(mainInterface()->viewControllers().size(), 4u);

    const std::string media = "https://media.orvex.test/media/tv/1/1/master.m3u8";
    auto& proxy = SJMediaCacheServer::shared();
    EXPECT_FALSE(proxy.playbackURLWithURL(media)) << "the player keeps the original address";
    const auto exporter = proxy.exportAssetWithURL(media);
    ASSERT_TRUE(exporter);
    exporter->resume();
    ASSERT_TRUE(waitFor([&] { return exporter->status() == MCSAssetExportStatusFailed; }));
    ASSERT_TRUE(exporter->error());
    EXPECT_EQ(exporter->error()->code, MCSAssetExportErrorStorage);
    EXPECT_EQ(proxy.countOfBytesAllExportedAssets(), 0u);

    // The rest of the application carries on.
    selectTab(3);
    EXPECT_NE(topPage(), nullptr);
}

} // namespace
