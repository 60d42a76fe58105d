#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/CoreGraphics/CGImage.h"
#include "platform/UIKit/UIColor.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class UIImageRenderingMode { automatic = 0, alwaysOriginal = 1, alwaysTemplate = 2 };

// An image: decoded pixels (a CGImage) with the scale that maps pixels to points, or an
// animation of such images. Images are immutable and shared by std::shared_ptr; "no
// image" is a null pointer. Decoding (imageWithData, imageWithContentsOfFile) may run on
// any thread.
class UIImage {
  public:
    // An image without pixels (size zero).
    UIImage() = default;
    UIImage(CGImageRef image, CGFloat scale, UIImageRenderingMode mode = UIImageRenderingMode::automatic);

    // The application resource `name` (without extension: an SVG is rendered at the
    // screen's scale; PNG, JPEG, GIF or WebP files are read, name@2x/@3x preferred to
    // match the screen). Named images are kept for the rest of the process.
    static std::shared_ptr<UIImage> imageNamed(const std::string& name);
    // The application's own drawing of a system symbol (resources/symbols/<name>.svg),
    // a template image.
    static std::shared_ptr<UIImage> systemImageNamed(const std::string& name);
    // Decodes PNG, JPEG, WebP, GIF or SVG bytes. A GIF of several frames becomes an
    // animated image whose frames keep their own delays (delays of 10 ms or less count
    // 100 ms, as browsers show them). SVG is rendered at `scale` (0: the screen's).
    static std::shared_ptr<UIImage> imageWithData(std::string_view data, CGFloat scale = 1);
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& path);
    static std::shared_ptr<UIImage> imageWithCGImage(CGImageRef image, CGFloat scale = 1);
    // An animation showing each image for duration / count seconds.
    static std::shared_ptr<UIImage>
    animatedImageWithImages(const std::vector<std::shared_ptr<UIImage>>& images, double duration);
    // A one-point image of the colour, at the screen's scale.
    static std::shared_ptr<UIImage> qmui_imageWithColor(const UIColor& color);

    // The same pixels with another rendering mode.
    std::shared_ptr<UIImage> imageWithRenderingMode(UIImageRenderingMode mode) const;

    // Size in points: pixels divided by the scale (the first frame's for animations).
    CGSize size() const;
    CGFloat scale() const { return scale_; }
    UIImageRenderingMode renderingMode() const { return renderingMode_; }
    // The pixels (the first frame's for animations); null for an empty image.
    const CGImageRef& CGImage() const { return image_; }

    // Frames of an animated image (empty for a still image), with their display times.
    const std::vector<std::shared_ptr<UIImage>>& images() const { return images_; }
    const std::vector<double>& frameDurations() const { return frameDurations_; }
    double duration() const { return duration_; }
    // The frame shown `seconds` after an animation started, looping; this image when still.
    const UIImage& imageAtTime(double seconds) const;

  private:
    static std::shared_ptr<UIImage> animation(std::vector<std::shared_ptr<UIImage>> frames,
                                              std::vector<double> durations);

    CGImageRef image_;
    CGFloat scale_ = 1;
    UIImageRenderingMode renderingMode_ = UIImageRenderingMode::automatic;
    std::vector<std::shared_ptr<UIImage>> images_;
    std::vector<double> frameDurations_;
    double duration_ = 0;
};
