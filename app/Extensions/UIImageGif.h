#pragma once

#include "platform/ImageIO/CGImageSource.h"
#include "platform/UIKit/UIImage.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Animated images from GIF files. Every frame lasts a whole number of milliseconds (at
// least 100); the animation repeats each frame so that all entries last the same time,
// the greatest common divisor of the delays. Failures write a line on standard output and
// give no image.

std::shared_ptr<UIImage> gifImageWithData(std::string_view data);
// Reads the file a "file:" URL names. Other schemes are not read here: a synchronous
// network read would stall the interface.
std::shared_ptr<UIImage> gifImageWithURL(const std::string& url);
// The application resource `name`.gif.
std::shared_ptr<UIImage> gifImageWithName(const std::string& name);

std::shared_ptr<UIImage> animatedImageWithSource(const CGImageSourceRef& source);
// A frame's delay in seconds: the stored (unclamped) delay, or the shown delay when the
// stored one is 0, and at least 0.1 seconds. Frames without GIF timing count 0.1 seconds.
double delayForImageAtIndex(std::size_t index, const CGImageSourceRef& source);
