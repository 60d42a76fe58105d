#pragma once

#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIImage.h"

#include <functional>
#include <memory>

// A horizontal progress bar: a track, the loaded part over it, the played part over that
// and a thumb at the value. Dragging (or tapping) along it changes the value; the slider
// tells when a drag begins, moves and ends, and sends value-changed events while it moves.
class SJProgressSlider : public UIControl {
  public:
    explicit SJProgressSlider(const CGRect& frame = CGRectZero);
    ~SJProgressSlider() override;

    double value() const { return value_; }
    // Clamped to 0...maxValue; ignored while the user drags.
    void setValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double maxValue);
    // The loaded part, as a fraction of the track (0 to 1).
    double bufferProgress() const { return bufferProgress_; }
    void setBufferProgress(double progress);
    bool isDragging() const { return dragging_; }

    CGFloat trackHeight() const { return trackHeight_; }
    void setTrackHeight(CGFloat height);
    void setTrackColor(const UIColor& color);
    void setTraceColor(const UIColor& color);
    void setBufferColor(const UIColor& color);
    // The thumb: the image when there is one, else a dot of the thumb colour; a size of 0
    // shows no thumb.
    void setThumbImage(std::shared_ptr<UIImage> image);
    void setThumbColor(const UIColor& color);
    CGFloat thumbSize() const { return thumbSize_; }
    void setThumbSize(CGFloat size);

    std::function<void(SJProgressSlider& slider)> onDragBegan;
    std::function<void(SJProgressSlider& slider)> onDragChanged;
    std::function<void(SJProgressSlider& slider)> onDragEnded;

    CGSize intrinsicContentSize() const override;
    void layoutSubviews() override;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  private:
    // The track's horizontal extent: inset by half a thumb so the thumb stays inside.
    CGFloat trackStart() const;
    CGFloat trackLength() const;
    void followTouch(const std::vector<std::shared_ptr<UITouch>>& touches);
    void endDrag();

    std::shared_ptr<CALayer> trackLayer_;
    std::shared_ptr<CALayer> bufferLayer_;
    std::shared_ptr<CALayer> traceLayer_;
    std::shared_ptr<CALayer> thumbLayer_;
    double value_ = 0;
    double maxValue_ = 1;
    double bufferProgress_ = 0;
    bool dragging_ = false;
    CGFloat trackHeight_ = 3;
    CGFloat thumbSize_ = 12;
    std::shared_ptr<UIImage> thumbImage_;
    UIColor thumbColor_ = UIColor::whiteColor();
};
