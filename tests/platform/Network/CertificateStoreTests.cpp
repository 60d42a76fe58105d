// The certificate store new TLS connections verify their peers with: built once per multi
// handle and shared by its connections, whether it comes from a configured file or from
// the system's store. curl says when it builds one: the " CAfile:" line of its verbose
// output is written as the store is filled, and not when a kept store is taken.

#include "platform/Foundation/RunLoop.h"
#include "platform/Network/CurlWorker.h"
#include "platform/Network/MainLoopCurl.h"
#include "platform/Network/NetworkPolicy.h"
#include "tests/platform/Network/SuiteService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string_view>
#include <thread>

namespace {

// A request on a connection of its own to the service, configured as every transfer of
// the process is; counts the stores curl builds for it.
class StoreCountingTransfer final : public CurlTransfer {
  public:
    StoreCountingTransfer(const std::string& url, std::atomic<int>& storesBuilt, std::atomic<int>& ended)
        : url_(url), storesBuilt_(storesBuilt), ended_(ended) {
        NetworkPolicy::applyTo(handle());
        curl_easy_setopt(handle(), CURLOPT_URL, url_.c_str());
        curl_easy_setopt(handle(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle(), CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(handle(), CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(handle(), CURLOPT_WRITEFUNCTION, &StoreCountingTransfer::discard);
        curl_easy_setopt(handle(), CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(handle(), CURLOPT_DEBUGFUNCTION, &StoreCountingTransfer::debug);
        curl_easy_setopt(handle(), CURLOPT_DEBUGDATA, this);
    }

    void finished(CURLcode result, bool) override {
        result_ = result;
        ++ended_;
    }
    CURLcode result() const { return result_; }

  private:
    static size_t discard(char*, size_t size, size_t count, void*) { return size * count; }
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* context) {
        if (type == CURLINFO_TEXT && std::string_view(data, size).find("CAfile:") != std::string_view::npos) {
            ++static_cast<StoreCountingTransfer*>(context)->storesBuilt_;
        }
        return 0;
    }

    std::string url_;
    std::atomic<int>& storesBuilt_;
    std::atomic<int>& ended_;
    CURLcode result_ = CURLE_OK;
};

class CertificateStoreTest : public SuiteServiceTest<CertificateStoreTest> {
  protected:
    void TearDown() override { NetworkPolicy::setCertificateAuthorityFile({}); }

    struct Burst {
        int storesBuilt = 0;
        std::vector<CURLcode> results;
    };

    // Opens `count` new connections to the service at once through `driver`, waiting on
    // the main loop when it is the main loop's driver.
    static Burst connect(CurlDriver& driver, int count) {
        std::atomic<int> storesBuilt{0};
        std::atomic<int> ended{0};
        std::vector<std::shared_ptr<StoreCountingTransfer>> transfers;
        const std::string url = "https://127.0.0.1:" + std::to_string(service_->port1()) + "/store-probe";
        for (int i = 0; i < count; ++i) {
            transfers.push_back(std::make_shared<StoreCountingTransfer>(url, storesBuilt, ended));
            driver.start(transfers.back());
        }
        if (&driver == &MainLoopCurl::shared()) {
            EXPECT_TRUE(RunLoop::main().runUntil([&] { return ended == count; }, 60));
        } else {
            for (int i = 0; i < 6000 && ended < count; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        Burst burst;
        burst.storesBuilt = storesBuilt;
        for (const auto& transfer : transfers) {
            burst.results.push_back(transfer->result());
        }
        return burst;
    }
};

} // namespace

TEST_F(CertificateStoreTest, NewConnectionsShareOneStoreFromTheConfiguredFileOrTheSystem) {
    const char* systemBundle = curl_version_info(CURLVERSION_NOW)->cainfo;
    if (systemBundle == nullptr || !std::filesystem::is_regular_file(systemBundle)) {
        GTEST_SKIP() << "the system has no certificate bundle file";
    }
    constexpr int kConnections = 4;
    CurlWorker worker;
    for (CurlDriver* driver :
         {static_cast<CurlDriver*>(&MainLoopCurl::shared()), static_cast<CurlDriver*>(&worker)}) {
        SCOPED_TRACE(driver == &worker ? "worker" : "main loop");
        // The service's own authority: every connection verifies.
        NetworkPolicy::setCertificateAuthorityFile(service_->caFile());
        Burst burst = connect(*driver, kConnections);
        EXPECT_EQ(burst.results, std::vector<CURLcode>(kConnections, CURLE_OK));
        EXPECT_LE(burst.storesBuilt, 1);

        // The system's store: it does not hold the service's authority, so every
        // connection is refused, after the store was built once for all of them.
        NetworkPolicy::setCertificateAuthorityFile({});
        burst = connect(*driver, kConnections);
        EXPECT_EQ(burst.results, std::vector<CURLcode>(kConnections, CURLE_PEER_FAILED_VERIFICATION));
        EXPECT_LE(burst.storesBuilt, 1);
        burst = connect(*driver, kConnections);
        EXPECT_EQ(burst.storesBuilt, 0) << "the store is kept for later connections";
    }
}
