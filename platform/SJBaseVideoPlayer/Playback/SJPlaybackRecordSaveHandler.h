#pragma once

#include "platform/SJBaseVideoPlayer/Playback/SJPlayerEvents.h"

#include <map>
#include <memory>

// Keeps the playback record of the asset a player plays: on each of the chosen player
// events the record gets the player's current time as its position and is saved to the
// playback-history store. No event is chosen until `setEvents` (the application chooses
// all seven, 127). Time ticks save at most every `periodicSaveInterval` seconds per record.
// An asset that never became ready is not saved, so that a failed start never
// overwrites the position a user had reached. Main thread only.
class SJPlaybackRecordSaveHandler {
  public:
    static constexpr double periodicSaveInterval = 3.0;

    static SJPlaybackRecordSaveHandler& shared();

    unsigned events() const { return events_; }
    void setEvents(unsigned events) { events_ = events; }

  private:
    SJPlaybackRecordSaveHandler();
    void playerDidPost(SJPlayerEvent event, const SJPlayerEventInfo& info);
    void save(SJPlaybackRecord& record, double position);

    unsigned events_ = 0;
    SJPlayerEventCenter::ListenerToken listening_;
    // When each record was last saved on a time tick (run-loop seconds).
    std::map<const SJPlaybackRecord*, std::pair<std::weak_ptr<SJPlaybackRecord>, double>> lastTickSaves_;
};
