#include "platform/Network/MainLoopCurl.h"

MainLoopCurl& MainLoopCurl::shared() {
    // Never destroyed, like the loop it belongs to: a transfer may be asked for while
    // the process ends.
    static MainLoopCurl* const driver = new MainLoopCurl;
    return *driver;
}

MainLoopCurl::MainLoopCurl() {
    curl_multi_setopt(transfers_.multi(), CURLMOPT_SOCKETFUNCTION, &MainLoopCurl::watchSocket);
    curl_multi_setopt(transfers_.multi(), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(transfers_.multi(), CURLMOPT_TIMERFUNCTION, &MainLoopCurl::setTimer);
    curl_multi_setopt(transfers_.multi(), CURLMOPT_TIMERDATA, this);
    RunLoop& loop = RunLoop::main();
    if (loop.isLoopThread()) {
        loop.addSource(*this);
    } else {
        loop.post([this] { RunLoop::main().addSource(*this); });
    }
}

void MainLoopCurl::start(std::shared_ptr<CurlTransfer> transfer) {
    transfers_.requestStart(std::move(transfer));
    RunLoop::main().wakeUp();
}

void MainLoopCurl::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    transfers_.requestCancel(transfer);
    RunLoop::main().wakeUp();
}

int MainLoopCurl::watchSocket(CURL*, curl_socket_t socket, int what, void* context, void*) {
    auto& sockets = static_cast<MainLoopCurl*>(context)->sockets_;
    if (what == CURL_POLL_REMOVE) {
        sockets.erase(socket);
        return 0;
    }
    short events = 0;
    if (what == CURL_POLL_IN || what == CURL_POLL_INOUT) {
        events |= POLLIN;
    }
    if (what == CURL_POLL_OUT || what == CURL_POLL_INOUT) {
        events |= POLLOUT;
    }
    sockets[socket] = events;
    return 0;
}

int MainLoopCurl::setTimer(CURLM*, long milliseconds, void* context) {
    auto& timer = static_cast<MainLoopCurl*>(context)->timer_;
    if (milliseconds < 0) {
        timer.reset();
    } else {
        timer = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    }
    return 0;
}

void MainLoopCurl::addDescriptors(std::vector<pollfd>& descriptors) {
    for (const auto& [socket, events] : sockets_) {
        descriptors.push_back(pollfd{socket, events, 0});
    }
}

std::optional<std::chrono::steady_clock::time_point> MainLoopCurl::deadline() {
    if (transfers_.hasRequests()) {
        return std::chrono::steady_clock::time_point(); // at once
    }
    return timer_;
}

void MainLoopCurl::perform(std::span<const pollfd> descriptors) {
    transfers_.takeRequests();
    int running = 0;
    for (const pollfd& item : descriptors) {
        if (item.revents == 0) {
            continue;
        }
        int action = 0;
        if ((item.revents & (POLLIN | POLLHUP)) != 0) {
            action |= CURL_CSELECT_IN;
        }
        if ((item.revents & POLLOUT) != 0) {
            action |= CURL_CSELECT_OUT;
        }
        if ((item.revents & (POLLERR | POLLNVAL)) != 0) {
            action |= CURL_CSELECT_ERR;
        }
        curl_multi_socket_action(transfers_.multi(), item.fd, action, &running);
    }
    if (timer_ && *timer_ <= std::chrono::steady_clock::now()) {
        timer_.reset();
        curl_multi_socket_action(transfers_.multi(), CURL_SOCKET_TIMEOUT, 0, &running);
    }
    transfers_.finishDone();
}
