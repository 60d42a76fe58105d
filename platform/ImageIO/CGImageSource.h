#pragma once

#include "platform/CoreGraphics/CGImage.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// A decoded image file and its frames (ImageIO's image source). Made once from the
// bytes; every frame is decoded at creation.
class CGImageSource;
using CGImageSourceRef = std::shared_ptr<const CGImageSource>;

// The GIF entries of a frame's properties, in seconds. `unclampedDelayTime` is the delay
// stored in the file; `delayTime` is the delay as shown, 0.1 s for stored delays of 10 ms
// or less.
struct CGImageGIFProperties {
    std::optional<double> delayTime;
    std::optional<double> unclampedDelayTime;
};

struct CGImageProperties {
    int pixelWidth = 0;
    int pixelHeight = 0;
    // Present for frames of a GIF.
    std::optional<CGImageGIFProperties> gif;
};

class CGImageSource {
  public:
    struct Frame {
        CGImageRef image;
        CGImageProperties properties;
    };
    explicit CGImageSource(std::vector<Frame> frames) : frames_(std::move(frames)) {}
    const std::vector<Frame>& frames() const { return frames_; }

  private:
    std::vector<Frame> frames_;
};

// Nothing when the bytes are not an image this platform decodes.
CGImageSourceRef CGImageSourceCreateWithData(std::string_view data);
std::size_t CGImageSourceGetCount(const CGImageSourceRef& source);
// Nothing for an index past the last frame.
CGImageRef CGImageSourceCreateImageAtIndex(const CGImageSourceRef& source, std::size_t index);
std::optional<CGImageProperties> CGImageSourceCopyPropertiesAtIndex(const CGImageSourceRef& source,
                                                                    std::size_t index);
