#pragma once

#include "platform/SJBaseVideoPlayer/Playback/SJMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJVideoPlayerURLAsset.h"

#include <functional>
#include <memory>
#include <vector>

// What happened to a player, one bit each, so that listeners can choose by mask.
enum SJPlayerEvent : unsigned {
    SJPlayerEventTimeDidChange = 1u << 0,      // a time tick while playing
    SJPlayerEventDidPause = 1u << 1,           // paused (by the user or the program)
    SJPlayerEventDidSeek = 1u << 2,            // a seek finished
    SJPlayerEventURLAssetWillChange = 1u << 3, // another asset (or none) is about to replace this one
    SJPlayerEventDidFinish = 1u << 4,          // played to the end
    SJPlayerEventDidEnterBackground = 1u << 5, // the application went to the background
    SJPlayerEventWillDeallocate = 1u << 6,     // the player is going away
};

// The player's state that goes with an event.
struct SJPlayerEventInfo {
    std::shared_ptr<SJVideoPlayerURLAsset> asset;
    double currentTime = 0;
    double duration = 0;
    SJAssetStatus assetStatus = SJAssetStatusUnknown;

    // What a player playing through `controller` tells: its media and where it is.
    static SJPlayerEventInfo of(const SJMediaPlaybackController& controller) {
        return {controller.media(), controller.currentTime(), controller.duration(),
                controller.assetStatus()};
    }
};

// Where players tell what happens to them (each player forwards its own events here),
// and listeners such as the playback-record save handler hear it. Main thread only.
class SJPlayerEventCenter {
  public:
    using Listener = std::function<void(SJPlayerEvent event, const SJPlayerEventInfo& info)>;
    using ListenerToken = std::shared_ptr<void>;

    static SJPlayerEventCenter& shared();

    // Calls `listener` for every event posted until the token is dropped.
    [[nodiscard]] ListenerToken addListener(Listener listener);
    void post(SJPlayerEvent event, const SJPlayerEventInfo& info);

  private:
    std::vector<std::weak_ptr<Listener>> listeners_;
};
