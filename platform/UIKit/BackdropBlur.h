#pragma once

#include "platform/CoreGraphics/CGImage.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// The blurred copies of pictures that blur effects show. A picture is blurred once, on a
// background thread, and its copy is kept for as long as the picture itself lives; every
// effect showing the same picture shares that copy. Main thread only.
class BackdropBlur {
  public:
    static BackdropBlur& shared();

    // The blurred copy of `picture` when it has been made. Otherwise none: the blur is
    // started (unless it is already under way) and `ready` runs on the main queue once the
    // copy can be asked for again.
    CGImageRef blurred(const CGImageRef& picture, std::function<void()> ready);
    // How many pictures have been blurred in this process.
    std::size_t blursMade() const { return blursMade_; }

    // How strongly a picture is blurred: a Gaussian whose sigma is this part of the
    // picture's shorter side, on a copy reduced to at most kWorkingSize pixels a side.
    static constexpr double kSigmaOfShorterSide = 1.0 / 30;
    static constexpr int kWorkingSize = 256;

  private:
    BackdropBlur() = default;
    void finished(const CGImage* key, const CGImageRef& picture, CGImageRef copy);

    struct Entry {
        std::weak_ptr<const CGImage> picture;
        CGImageRef copy;
        std::vector<std::function<void()>> waiting;
    };
    std::map<const CGImage*, Entry> entries_;
    std::size_t blursMade_ = 0;
};
