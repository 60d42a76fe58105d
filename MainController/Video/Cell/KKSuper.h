#pragma once

#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"

#include <functional>
#include <string>

// The player of one short-video cell: it pauses in the background and resumes neither
// in the foreground nor when scrolled back into view, never starts a new asset by
// itself, never turns, and shows the whole picture on a clear background. Addresses
// play through the local media cache proxy.
class KKSuper : public SJBaseVideoPlayer {
  public:
    using SJBaseVideoPlayer::SJBaseVideoPlayer;

    // Stops the current playback and loads `url` through the proxy (the address itself
    // when the proxy cannot serve it), without playing it.
    void configureWithURL(const std::string& url);

    std::function<bool(SJBaseVideoPlayer&)> allowsPlayback() const { return canPlayAnAsset; }
    void setAllowsPlayback(std::function<bool(SJBaseVideoPlayer&)> allows) {
        canPlayAnAsset = std::move(allows);
    }

  protected:
    void init() override;
};
