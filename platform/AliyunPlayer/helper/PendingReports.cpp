#include "platform/AliyunPlayer/helper/PendingReports.h"

namespace {

// The application reads its helper's socket all the time; a socket still full after this
// long is not being read.
constexpr std::chrono::seconds patience{5};

} // namespace

void PendingReports::add(nlohmann::json report) {
    if (waiting_.empty()) {
        waitingSince_ = std::chrono::steady_clock::now();
    }
    waiting_.push_back(std::move(report));
    flush();
}

void PendingReports::flush() {
    while (!waiting_.empty() && channel_.send(waiting_.front())) {
        waiting_.pop_front();
        waitingSince_ = std::chrono::steady_clock::now();
    }
}

bool PendingReports::stuck() const {
    return !waiting_.empty() && std::chrono::steady_clock::now() - waitingSince_ > patience;
}
