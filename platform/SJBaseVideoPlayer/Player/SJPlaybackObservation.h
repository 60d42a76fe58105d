#pragma once

#include <functional>

class SJBaseVideoPlayer;

// Blocks a player calls, on the main thread, after each change of its playback.
struct SJPlaybackObservation {
    using Block = std::function<void(SJBaseVideoPlayer& player)>;

    // Another asset (or none) was set.
    Block URLAssetDidChangeExeBlock;
    Block assetStatusDidChangeExeBlock;
    Block timeControlStatusDidChangeExeBlock;
    // After either status changed (the asset status or the time-control status).
    Block playbackStatusDidChangeExeBlock;
    // About twice a second of media time while time moves, and at once on a jump.
    Block currentTimeDidChangeExeBlock;
    Block durationDidChangeExeBlock;
    Block playableDurationDidChangeExeBlock;
    Block presentationSizeDidChangeExeBlock;
    Block rateDidChangeExeBlock;
    Block volumeDidChangeExeBlock;
    Block mutedDidChangeExeBlock;
    // Played to the end.
    Block playbackDidFinishExeBlock;
};
