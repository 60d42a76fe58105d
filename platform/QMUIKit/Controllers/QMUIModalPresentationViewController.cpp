#include "platform/QMUIKit/Controllers/QMUIModalPresentationViewController.h"

#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/QMUIKit/Controllers/QMUITipsPresenter.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

namespace {

constexpr double kPopupStartScale = 0.3;

} // namespace

QMUIModalPresentationViewController::QMUIModalPresentationViewController() {
    QMUICMI();
    QMUITipsPresenter::install();
}

QMUIModalPresentationViewController::~QMUIModalPresentationViewController() = default;

const std::shared_ptr<UIView>& QMUIModalPresentationViewController::dimmingView() {
    if (!dimmingView_) {
        dimmingView_ = std::make_shared<UIView>();
        dimmingView_->setBackgroundColor(
            QMUICMI().maskDarkColor.get().value_or(UIColor::colorWithWhite(0, 0.35)));
        std::weak_ptr<QMUIModalPresentationViewController> weakSelf =
            std::static_pointer_cast<QMUIModalPresentationViewController>(sharedController());
        dimmingView_->addGestureRecognizer(
            std::make_shared<UITapGestureRecognizer>([weakSelf](UIGestureRecognizer&) {
                if (auto self = weakSelf.lock()) {
                    self->dimmingViewTapped();
                }
            }));
    }
    return dimmingView_;
}

void QMUIModalPresentationViewController::setContentView(std::shared_ptr<UIView> view) {
    if (contentView_ == view) {
        return;
    }
    if (contentView_ && isViewLoaded() && contentView_->superview() == this->view()) {
        contentView_->removeFromSuperview();
    }
    contentView_ = std::move(view);
    if (contentView_ && isViewLoaded()) {
        this->view()->addSubview(contentView_);
        this->view()->setNeedsLayout();
    }
}

void QMUIModalPresentationViewController::setContentViewMargins(const UIEdgeInsets& margins) {
    if (contentViewMargins_ == margins) {
        return;
    }
    contentViewMargins_ = margins;
    if (isViewLoaded()) {
        view()->setNeedsLayout();
    }
}

void QMUIModalPresentationViewController::setLayoutBlock(LayoutBlock block) {
    layoutBlock_ = std::move(block);
    if (isViewLoaded()) {
        view()->setNeedsLayout();
    }
}

void QMUIModalPresentationViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(std::nullopt);
    view()->insertSubview(dimmingView(), 0);
    if (contentView_) {
        view()->addSubview(contentView_);
    }
}

void QMUIModalPresentationViewController::layoutChildViews() {
    const CGRect bounds = view()->bounds();
    dimmingView()->setFrame(bounds);
    if (!contentView_) {
        return;
    }
    const CGRect available = UIEdgeInsetsInsetRect(bounds, contentViewMargins_);
    CGSize size = contentView_->sizeThatFits(available.size);
    size = {std::min(size.width, available.width()), std::min(size.height, available.height())};
    const CGRect defaultFrame{{available.midX() - size.width / 2, available.midY() - size.height / 2}, size};
    if (layoutBlock_) {
        const LayoutBlock block = layoutBlock_;
        block(bounds, 0, defaultFrame);
    } else {
        contentView_->setFrame(defaultFrame);
    }
}

void QMUIModalPresentationViewController::applyAnimationState(bool hidden) {
    dimmingView()->setAlpha(hidden ? 0 : 1);
    if (!contentView_) {
        return;
    }
    switch (animationStyle_) {
    case QMUIModalPresentationAnimationStyle::fade:
        contentView_->setAlpha(hidden ? 0 : 1);
        break;
    case QMUIModalPresentationAnimationStyle::popup:
        contentView_->setAlpha(hidden ? 0 : 1);
        contentView_->setTransform(hidden ? CGAffineTransformMakeScale(kPopupStartScale, kPopupStartScale)
                                          : CGAffineTransformIdentity);
        break;
    case QMUIModalPresentationAnimationStyle::slide: {
        const CGFloat distance = view()->bounds().height() - contentView_->frame().minY();
        contentView_->setTransform(hidden ? CGAffineTransformMakeTranslation(0, distance)
                                          : CGAffineTransformIdentity);
        break;
    }
    }
}

void QMUIModalPresentationViewController::showWithAnimated(bool animated,
                                                           std::function<void(bool)> completion) {
    if (visible_) {
        return;
    }
    auto self = std::static_pointer_cast<QMUIModalPresentationViewController>(sharedController());
    visible_ = true;
    previousKeyWindow_ = UIWindow::keyWindow();
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window_->setWindowLevel(QMUICMI().windowLevelQMUIAlertView);
    window_->makeKeyAndVisible();
    window_->setRootViewController(self);
    window_->layoutIfNeeded();
    if (!animated) {
        applyAnimationState(false);
        if (completion) {
            completion(true);
        }
        return;
    }
    UIView::performWithoutAnimation([&] { applyAnimationState(true); });
    UIView::animateWithDuration(
        kAnimationDuration, [self] { self->applyAnimationState(false); },
        [completion = std::move(completion)](bool finished) {
            if (completion) {
                completion(finished);
            }
        });
}

void QMUIModalPresentationViewController::hideWithAnimated(bool animated,
                                                           std::function<void(bool)> completion) {
    if (!visible_ || hiding_) {
        return;
    }
    auto self = std::static_pointer_cast<QMUIModalPresentationViewController>(sharedController());
    hiding_ = true;
    beginAppearanceTransition(false, animated);
    auto finish = [self, completion = std::move(completion)](bool finished) {
        auto window = std::move(self->window_);
        window->setRootViewController(nullptr);
        window->setHidden(true);
        if (auto previous = self->previousKeyWindow_.lock(); previous && !previous->isHidden()) {
            previous->makeKeyWindow();
        }
        self->visible_ = false;
        self->hiding_ = false;
        if (self->contentView_) {
            self->contentView_->setTransform(CGAffineTransformIdentity);
            self->contentView_->setAlpha(1);
        }
        self->dimmingView()->setAlpha(1);
        if (completion) {
            completion(finished);
        }
    };
    if (!animated) {
        finish(true);
        return;
    }
    UIView::animateWithDuration(
        kAnimationDuration, [self] { self->applyAnimationState(true); }, std::move(finish));
}

void QMUIModalPresentationViewController::dimmingViewTapped() {
    if (modal_ || !visible_ || hiding_) {
        return;
    }
    if (willHideByDimmingViewTappedBlock) {
        willHideByDimmingViewTappedBlock();
    }
    std::weak_ptr<QMUIModalPresentationViewController> weakSelf =
        std::static_pointer_cast<QMUIModalPresentationViewController>(sharedController());
    hideWithAnimated(true, [weakSelf](bool) {
        auto self = weakSelf.lock();
        if (self && self->didHideByDimmingViewTappedBlock) {
            self->didHideByDimmingViewTappedBlock();
        }
    });
}
