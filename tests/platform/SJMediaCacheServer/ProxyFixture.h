#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "tests/support/TestSupport.h"
#include "tests/support/media/MediaFixtures.h"
#include "tests/support/media/TestOrigin.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A proxy with a private cache folder, and the test origin serving the shared media.
class ProxyFixture : public testing::Test {
  protected:
    void SetUp() override {
        origin_ = std::make_unique<testmedia::TestOrigin>(testmedia::MediaFixtures::shared().root());
        ASSERT_TRUE(origin_->start());
        cacheRoot_ = testsupport::freshFolder("mcs");
        server_ = makeServer();
    }

    void TearDown() override {
        server_.reset();
        origin_->stop();
    }

    std::unique_ptr<SJMediaCacheServer> makeServer(std::uint64_t removableCacheLimit = 2ull << 30) const {
        auto options = SJMediaCacheServer::defaultOptions();
        options.removableCacheLimit = removableCacheLimit;
        options.cacheRoot = cacheRoot_;
        options.retryDelaySeconds = 0.05;
        options.longestRetryDelaySeconds = 0.2;
        options.fetchAttempts = 3;
        options.stallTimeoutSeconds = 10;
        return std::make_unique<SJMediaCacheServer>(options);
    }

    // Restarts the proxy on the same cache folder, as a new process would.
    void restartServer() {
        server_.reset();
        server_ = makeServer();
    }

    static unsigned short portOf(const std::string& playbackURL) {
        const auto start = std::string("http://127.0.0.1:").size();
        return static_cast<unsigned short>(
            std::stoi(playbackURL.substr(start, playbackURL.find('/', start) - start)));
    }

    // Resumes an export and runs the main queue until it ends (finished or failed).
    static int runExport(const std::shared_ptr<MCSAssetExporter>& exporter, double timeout = 45) {
        exporter->resume();
        RunLoop::main().runUntil(
            [&] {
                return exporter->status() == MCSAssetExportStatusFinished ||
                       exporter->status() == MCSAssetExportStatusFailed;
            },
            timeout);
        RunLoop::main().runPending();
        return exporter->status();
    }

    std::unique_ptr<testmedia::TestOrigin> origin_;
    std::filesystem::path cacheRoot_;
    std::unique_ptr<SJMediaCacheServer> server_;
};
