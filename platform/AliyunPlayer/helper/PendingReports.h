#pragma once

#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <deque>

// The helper's reports that the application must not miss (its readiness, its states,
// the ends of its seeks), sent in order from the helper's loop. One the socket has no room
// for is kept and sent again as the loop turns; reports that have waited too long mean
// the application is not reading, and the helper should end so that its load fails where
// the application sees it.
class PendingReports {
  public:
    explicit PendingReports(PlaybinChannel& channel) : channel_(channel) {}

    void add(nlohmann::json report);
    // Sends what waits, in order, as far as the socket takes it.
    void flush();
    bool empty() const { return waiting_.empty(); }
    // Whether a report has waited longer than the application may take to read it.
    bool stuck() const;

  private:
    PlaybinChannel& channel_;
    std::deque<nlohmann::json> waiting_;
    // When the first report waiting was added, or last found room.
    std::chrono::steady_clock::time_point waitingSince_;
};
