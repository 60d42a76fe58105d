#include "tools/devservice/ConnectionThreads.h"

#include <system_error>
#include <utility>

namespace devservice {

ConnectionThreads::~ConnectionThreads() {
    shutdown();
}

void ConnectionThreads::enqueue(std::function<void()> serve) {
    {
        std::lock_guard lock(mutex_);
        joinEnded();
        Connection& connection = connections_.emplace_back();
        try {
            connection.thread = std::thread([serve, &ended = connection.ended] {
                serve();
                ended = true;
            });
            return;
        } catch (const std::system_error&) {
            connections_.pop_back();
        }
    }
    // No thread to be had: the connection is served on the accepting thread, which holds
    // the next connections back rather than dropping this one.
    serve();
}

void ConnectionThreads::shutdown() {
    std::list<Connection> remaining;
    {
        std::lock_guard lock(mutex_);
        remaining.swap(connections_);
    }
    for (Connection& connection : remaining) {
        connection.thread.join();
    }
}

void ConnectionThreads::joinEnded() {
    for (auto connection = connections_.begin(); connection != connections_.end();) {
        if (connection->ended) {
            connection->thread.join();
            connection = connections_.erase(connection);
        } else {
            ++connection;
        }
    }
}

} // namespace devservice
