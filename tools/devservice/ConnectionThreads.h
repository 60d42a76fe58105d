#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace devservice {

// Serves every connection on a thread of its own. A connection holds its thread for its
// whole life, kept-alive time included, so with a fixed pool a client that keeps as many
// connections busy as there are threads (a player's segments, a page's pictures, the name
// lookups and the API at once) leaves its next connection waiting until one of them ends:
// a name lookup or an API call then fails for a server that looks unreachable.
// shutdown() waits for every connection's thread.
class ConnectionThreads final : public httplib::TaskQueue {
  public:
    ConnectionThreads() = default;
    ~ConnectionThreads() override;
    ConnectionThreads(const ConnectionThreads&) = delete;
    ConnectionThreads& operator=(const ConnectionThreads&) = delete;

    void enqueue(std::function<void()> serve) override;
    void shutdown() override;

  private:
    // A list node stays where it is until its thread has been joined, so the thread may
    // mark its own node ended.
    struct Connection {
        std::thread thread;
        std::atomic<bool> ended{false};
    };

    // Joins the threads whose connections have ended. Called with the mutex held.
    void joinEnded();

    std::mutex mutex_;
    std::list<Connection> connections_;
};

} // namespace devservice
