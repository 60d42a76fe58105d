#pragma once

#include "platform/AVFoundation/VideoFrameLayer.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// Where a player shows its pictures: a picture layer fitted by the video gravity, under a
// placeholder image view that covers the area until the first picture is shown.
class SJVideoPlayerPresentView : public UIView {
  public:
    explicit SJVideoPlayerPresentView(const CGRect& frame = CGRectZero);
    ~SJVideoPlayerPresentView() override;

    const std::shared_ptr<VideoFrameLayer>& videoLayer() const { return videoLayer_; }
    // Made on first use.
    const std::shared_ptr<UIImageView>& placeholderImageView();
    bool isPlaceholderImageViewHidden() const { return placeholderHidden_; }
    void showPlaceholderImageViewAnimated(bool animated);
    // Hides the placeholder after `delay` seconds (a later show cancels it).
    void hiddenPlaceholderImageViewAnimated(bool animated, double delay = 0);

    void layoutSubviews() override;

  private:
    void setPlaceholderHidden(bool hidden, bool animated);

    std::shared_ptr<VideoFrameLayer> videoLayer_;
    std::shared_ptr<UIImageView> placeholderImageView_;
    bool placeholderHidden_ = false;
    std::uint64_t placeholderChange_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
