#include "platform/SJBaseVideoPlayer/Player/SJVideoPlayerPresentView.h"

#include "platform/Foundation/RunLoop.h"

namespace {
constexpr double kPlaceholderFadeDuration = 0.4;
}

SJVideoPlayerPresentView::SJVideoPlayerPresentView(const CGRect& frame)
    : UIView(frame), videoLayer_(std::make_shared<VideoFrameLayer>()) {
    setBackgroundColor(UIColor::blackColor());
    setClipsToBounds(true);
    layer()->addSublayer(videoLayer_);
    videoLayer_->setFrame(bounds());
}

SJVideoPlayerPresentView::~SJVideoPlayerPresentView() = default;

const std::shared_ptr<UIImageView>& SJVideoPlayerPresentView::placeholderImageView() {
    if (!placeholderImageView_) {
        placeholderImageView_ = std::make_shared<UIImageView>(bounds());
        placeholderImageView_->setContentMode(UIViewContentMode::scaleAspectFit);
        placeholderImageView_->setClipsToBounds(true);
        placeholderImageView_->setHidden(placeholderHidden_);
        addSubview(placeholderImageView_);
    }
    return placeholderImageView_;
}

void SJVideoPlayerPresentView::showPlaceholderImageViewAnimated(bool animated) {
    ++placeholderChange_;
    setPlaceholderHidden(false, animated);
}

void SJVideoPlayerPresentView::hiddenPlaceholderImageViewAnimated(bool animated, double delay) {
    const std::uint64_t change = ++placeholderChange_;
    if (delay <= 0) {
        setPlaceholderHidden(true, animated);
        return;
    }
    RunLoop::main().post(
        [alive = std::weak_ptr<bool>(alive_), this, change, animated] {
            if (!alive.expired() && change == placeholderChange_) {
                setPlaceholderHidden(true, animated);
            }
        },
        delay);
}

void SJVideoPlayerPresentView::setPlaceholderHidden(bool hidden, bool animated) {
    if (placeholderHidden_ == hidden) {
        return;
    }
    placeholderHidden_ = hidden;
    if (!placeholderImageView_) {
        return;
    }
    auto view = placeholderImageView_;
    if (!animated) {
        view->setHidden(hidden);
        view->setAlpha(1);
        return;
    }
    if (!hidden) {
        view->setHidden(false);
    }
    const std::uint64_t change = placeholderChange_;
    UIView::animateWithDuration(
        kPlaceholderFadeDuration, [view, hidden] { view->setAlpha(hidden ? 0 : 1); },
        [alive = std::weak_ptr<bool>(alive_), this, view, change, hidden](bool) {
            if (!alive.expired() && change == placeholderChange_ && hidden) {
                view->setHidden(true);
                view->setAlpha(1);
            }
        });
}

void SJVideoPlayerPresentView::layoutSubviews() {
    UIView::layoutSubviews();
    videoLayer_->setFrame(bounds());
    if (placeholderImageView_) {
        placeholderImageView_->setFrame(bounds());
    }
}
