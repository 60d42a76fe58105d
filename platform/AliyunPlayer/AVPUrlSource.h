#pragma once

#include <string>

// The media source of the second playback engine: an address to play.
class AVPUrlSource {
  public:
    // Sets the address and answers the source itself.
    AVPUrlSource& urlWithString(std::string url) {
        playerUrl_ = std::move(url);
        return *this;
    }
    const std::string& playerUrl() const { return playerUrl_; }

  private:
    std::string playerUrl_;
};
