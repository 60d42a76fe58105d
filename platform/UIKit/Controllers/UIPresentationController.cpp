#include "platform/UIKit/Controllers/UIPresentationController.h"

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"

namespace {

// Slides the presented view up from below the container's bottom edge.
class SlideUpPresentationController : public UIPresentationController {
  public:
    SlideUpPresentationController(const std::shared_ptr<UIViewController>& presented,
                                  const std::shared_ptr<UIViewController>& presenting, bool removesPresenter)
        : UIPresentationController(presented, presenting), removesPresenter_(removesPresenter) {}

    bool shouldRemovePresentersView() const override { return removesPresenter_; }

  private:
    bool removesPresenter_;
};

// A card over the dimmed presenter: it leaves a strip of the screen at the top, and its
// top corners are rounded.
class PageSheetPresentationController : public UIPresentationController {
  public:
    using UIPresentationController::UIPresentationController;

    static constexpr CGFloat kTopGap = 10;
    static constexpr CGFloat kCornerRadius = 10;
    static constexpr CGFloat kDimmingAlpha = 0.4;

    CGRect frameOfPresentedViewInContainerView() const override {
        const CGRect bounds = containerView()->bounds();
        const CGFloat top = containerView()->safeAreaInsets().top + kTopGap;
        return {{0, top}, {bounds.width(), bounds.height() - top}};
    }

    void presentationTransitionWillBegin() override {
        dimmingView_ = std::make_shared<UIView>(containerView()->bounds());
        dimmingView_->setBackgroundColor(UIColor::blackColor());
        containerView()->addSubview(dimmingView_);
        if (auto view = presentedView()) {
            view->layer()->setCornerRadius(kCornerRadius);
            view->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
            view->setClipsToBounds(true);
        }
    }

    void applyTransitionState(bool offScreen) override {
        UIPresentationController::applyTransitionState(offScreen);
        if (dimmingView_) {
            dimmingView_->setAlpha(offScreen ? 0 : kDimmingAlpha);
        }
    }

  private:
    std::shared_ptr<UIView> dimmingView_;
};

} // namespace

UIPresentationController::UIPresentationController(const std::shared_ptr<UIViewController>& presented,
                                                   const std::shared_ptr<UIViewController>& presenting)
    : presented_(presented), presenting_(presenting), containerView_(std::make_shared<UIView>()) {}

UIPresentationController::~UIPresentationController() = default;

std::shared_ptr<UIPresentationController>
UIPresentationController::makeForStyle(UIModalPresentationStyle style,
                                       const std::shared_ptr<UIViewController>& presented,
                                       const std::shared_ptr<UIViewController>& presenting) {
    switch (style) {
    case UIModalPresentationStyle::fullScreen:
    case UIModalPresentationStyle::currentContext:
    case UIModalPresentationStyle::custom:
        return std::make_shared<SlideUpPresentationController>(presented, presenting, true);
    case UIModalPresentationStyle::overFullScreen:
    case UIModalPresentationStyle::overCurrentContext:
        return std::make_shared<SlideUpPresentationController>(presented, presenting, false);
    case UIModalPresentationStyle::automatic:
    case UIModalPresentationStyle::none:
    case UIModalPresentationStyle::pageSheet:
    case UIModalPresentationStyle::formSheet:
    case UIModalPresentationStyle::popover:
        break;
    }
    return std::make_shared<PageSheetPresentationController>(presented, presenting);
}

std::shared_ptr<UIView> UIPresentationController::presentedView() const {
    auto presented = presented_.lock();
    return presented ? presented->view() : nullptr;
}

CGRect UIPresentationController::frameOfPresentedViewInContainerView() const {
    return containerView_->bounds();
}

void UIPresentationController::applyTransitionState(bool offScreen) {
    if (auto view = presentedView()) {
        view->setTransform(offScreen ? CGAffineTransformMakeTranslation(0, containerView_->bounds().height())
                                     : CGAffineTransformIdentity);
    }
}

void UIPresentationController::runPresentation(UIWindow& window,
                                               const std::shared_ptr<UIView>& presenterContent, bool animated,
                                               std::function<void()> completion) {
    auto self = shared_from_this();
    auto presented = presented_.lock();
    auto presenting = presenting_.lock();
    presented->loadViewIfNeeded();

    presenterContent_ = presenterContent;
    containerView_->setFrame(window.bounds());
    if (presenterContent && presenterContent->superview().get() == &window) {
        window.insertSubviewAbove(containerView_, presenterContent);
    } else {
        window.addSubview(containerView_);
    }
    containerView_->layoutIfNeeded();
    presentationTransitionWillBegin();
    const auto& view = presented->view();
    view->setFrame(frameOfPresentedViewInContainerView());
    containerView_->addSubview(view);

    const bool removesPresenter = shouldRemovePresentersView();
    transitioning_ = true;
    // The container takes the taps until the presented view is in place.
    view->setUserInteractionEnabled(false);
    if (removesPresenter) {
        presenting->beginAppearanceTransition(false, animated);
    }
    presented->beginAppearanceTransition(true, animated);
    containerView_->layoutIfNeeded();

    auto finish = [self, removesPresenter, completion = std::move(completion)] {
        self->transitioning_ = false;
        auto presented = self->presented_.lock();
        auto presenting = self->presenting_.lock();
        if (presented) {
            presented->view()->setUserInteractionEnabled(true);
            presented->endAppearanceTransition();
        }
        if (removesPresenter) {
            if (presenting) {
                presenting->endAppearanceTransition();
            }
            if (auto content = self->presenterContent_.lock()) {
                content->setHidden(true);
            }
        }
        if (completion) {
            completion();
        }
    };
    if (!animated) {
        applyTransitionState(false);
        finish();
        return;
    }
    UIView::performWithoutAnimation([&] { applyTransitionState(true); });
    UIView::animateWithDuration(
        transitionDuration(), [self] { self->applyTransitionState(false); }, [finish](bool) { finish(); });
}

void UIPresentationController::runDismissal(
    const std::vector<std::shared_ptr<UIPresentationController>>& above, bool animated,
    std::function<void()> completion) {
    auto self = shared_from_this();
    std::vector<std::shared_ptr<UIPresentationController>> chain{self};
    chain.insert(chain.end(), above.begin(), above.end());
    for (const auto& presentation : chain) {
        presentation->transitioning_ = true;
    }
    // The top-most presented controller first, down to the one this presentation shows.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (auto presented = (*it)->presented_.lock()) {
            presented->beginAppearanceTransition(false, animated);
        }
    }
    const bool revealsPresenter = shouldRemovePresentersView();
    auto presenting = presenting_.lock();
    if (revealsPresenter) {
        if (auto content = presenterContent_.lock()) {
            content->setHidden(false);
        }
        if (presenting) {
            presenting->beginAppearanceTransition(true, animated);
        }
    }
    // Only the top-most presentation animates away; those between simply go. Nothing
    // takes taps meanwhile.
    auto top = chain.back();
    if (auto view = top->presentedView()) {
        view->setUserInteractionEnabled(false);
    }
    for (const auto& presentation : chain) {
        if (presentation != top) {
            presentation->containerView_->setHidden(true);
        }
    }
    auto finish = [self, chain, revealsPresenter, completion = std::move(completion)] {
        self->finishDismissal(chain, revealsPresenter, completion);
    };
    if (!animated) {
        finish();
        return;
    }
    UIView::animateWithDuration(
        top->transitionDuration(), [top] { top->applyTransitionState(true); }, [finish](bool) { finish(); });
}

void UIPresentationController::finishDismissal(
    const std::vector<std::shared_ptr<UIPresentationController>>& chain, bool revealsPresenter,
    const std::function<void()>& completion) {
    auto presenting = presenting_.lock();
    if (revealsPresenter && presenting) {
        presenting->endAppearanceTransition();
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        auto presentation = *it;
        presentation->transitioning_ = false;
        auto presented = presentation->presented_.lock();
        if (presented) {
            presented->endAppearanceTransition();
            presented->view()->removeFromSuperview();
            presented->view()->setTransform(CGAffineTransformIdentity);
            presented->view()->setUserInteractionEnabled(true);
        }
        presentation->containerView_->removeFromSuperview();
        if (auto presenter = presentation->presenting_.lock()) {
            presenter->presented_.reset();
        }
        if (presented) {
            presented->presenting_.reset();
            presented->presentation_.reset();
        }
    }
    if (completion) {
        completion();
    }
}
