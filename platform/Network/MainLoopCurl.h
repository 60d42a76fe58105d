#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/Network/CurlTransfers.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// Runs curl transfers on the main thread, as a source of its run loop: the loop waits on
// the transfers' sockets together with its other work, so a request goes out from the
// thread that asked for it and its answer is read and handed over there, without a
// thread woken on either side. For small requests whose answers the main thread uses
// (the API's); large bodies go to a CurlWorker. Starting and cancelling are safe from
// any thread; transfers start and end on the loop's next turn.
class MainLoopCurl final : public CurlDriver, private RunLoopSource {
  public:
    // The main run loop's driver.
    static MainLoopCurl& shared();

    void start(std::shared_ptr<CurlTransfer> transfer) override;
    void cancel(const std::shared_ptr<CurlTransfer>& transfer) override;

  private:
    MainLoopCurl();

    void addDescriptors(std::vector<pollfd>& descriptors) override;
    std::optional<std::chrono::steady_clock::time_point> deadline() override;
    void perform(std::span<const pollfd> descriptors) override;

    static int watchSocket(CURL* easy, curl_socket_t socket, int what, void* driver, void* socketData);
    static int setTimer(CURLM* multi, long milliseconds, void* driver);

    // Loop thread only.
    CurlTransfers transfers_;
    // The sockets curl waits on, with the poll events it waits for.
    std::map<curl_socket_t, short> sockets_;
    std::optional<std::chrono::steady_clock::time_point> timer_;
};
