#include "platform/UIKit/LayoutEngine.h"
#include "platform/UIKit/LayoutItemState.h"
#include "platform/UIKit/UILayoutGuide.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

void UIView::setNeedsLayout() {
    needsLayout_ = true;
    markSubtreeNeedsLayout();
}

void UIView::markSubtreeNeedsLayout() {
    for (auto parent = superview(); parent && !parent->subtreeNeedsLayout_; parent = parent->superview()) {
        parent->subtreeNeedsLayout_ = true;
    }
}

void UIView::markSafeAreaDirty(bool wholeSubtree) {
    safeAreaDirty_ = true;
    safeAreaForcesSubtree_ = safeAreaForcesSubtree_ || wholeSubtree;
    markSubtreeNeedsLayout();
}

void UIView::layoutIfNeeded() {
    auto self = sharedView();
    LayoutEngine& engine = LayoutEngine::shared();
    // A pass may change what an earlier part of it read (a safe area moved by a frame set
    // in layoutSubviews); a few passes settle every layout the application makes.
    for (int pass = 0; pass < 10; ++pass) {
        engine.settle();
        if (!needsLayout_ && !subtreeNeedsLayout_ && !safeAreaDirty_) {
            return;
        }
        layoutSubtree(false);
    }
}

void UIView::layoutSubtree(bool forceSafeArea) {
    LayoutEngine& engine = LayoutEngine::shared();
    bool propagate = false;
    if (forceSafeArea || safeAreaDirty_) {
        const bool forced = forceSafeArea || safeAreaForcesSubtree_;
        safeAreaDirty_ = false;
        safeAreaForcesSubtree_ = false;
        propagate = refreshSafeAreaInsets() || forced;
    }
    subtreeNeedsLayout_ = false;
    if (needsLayout_) {
        engine.settle();
        needsLayout_ = false;
        layoutSubviews();
        engine.settle();
    }
    const auto subviews = subviews_;
    for (const auto& subview : subviews) {
        if (propagate || subview->needsLayout_ || subview->subtreeNeedsLayout_ || subview->safeAreaDirty_) {
            subview->layoutSubtree(propagate);
        }
    }
}

void UIView::layoutSubviews() {
    LayoutEngine& engine = LayoutEngine::shared();
    const auto subviews = subviews_;
    for (const auto& subview : subviews) {
        if (subview->translatesAutoresizingMaskIntoConstraints_ || subview->layoutState() == nullptr) {
            continue;
        }
        const CGRect frame = engine.solvedFrame(*subview);
        // Layout sets centre and size, so that a transform stays applied on top.
        subview->setBounds(CGRect{subview->bounds().origin, frame.size});
        subview->setCenter({frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2});
    }
}

bool UIView::refreshSafeAreaInsets() {
    const UIEdgeInsets insets = computeSafeAreaInsets();
    const bool changed = insets != safeAreaInsets_;
    safeAreaInsets_ = insets;
    for (auto* guide : {safeAreaGuide_.get(), marginsGuide_.get(), readableGuide_.get()}) {
        if (guide != nullptr) {
            LayoutEngine::shared().guideInsetsChanged(*guide);
        }
    }
    if (changed) {
        safeAreaInsetsDidChange();
        setNeedsLayout();
    }
    return changed;
}

UIEdgeInsets UIView::computeSafeAreaInsets() const {
    UIEdgeInsets insets;
    const CGRect mine = frame();
    auto parent = superview();
    if (!parent) {
        if (const auto* window = dynamic_cast<const UIWindow*>(this)) {
            // A window shares the screen's edges with the status bar and home indicator, as
            // they are in the orientation it is laid out for (a window left upright while
            // the screen turned for another keeps its upright safe area).
            const UIInterfaceOrientation orientation = window->interfaceOrientation();
            const CGRect screen = UIScreen::mainScreen().boundsFor(orientation);
            const UIEdgeInsets screenInsets = UIScreen::mainScreen().safeAreaInsetsFor(orientation);
            insets.top = std::clamp(screen.minY() + screenInsets.top - mine.minY(), 0.0, mine.height());
            insets.left = std::clamp(screen.minX() + screenInsets.left - mine.minX(), 0.0, mine.width());
            insets.bottom =
                std::clamp(mine.maxY() - (screen.maxY() - screenInsets.bottom), 0.0, mine.height());
            insets.right = std::clamp(mine.maxX() - (screen.maxX() - screenInsets.right), 0.0, mine.width());
        }
    } else {
        // The part of this view that lies in the superview's unsafe margins.
        const UIEdgeInsets outer = parent->safeAreaInsets_;
        const CGRect safe = UIEdgeInsetsInsetRect(parent->bounds(), outer);
        if (outer.top > 0) {
            insets.top = std::clamp(safe.minY() - mine.minY(), 0.0, mine.height());
        }
        if (outer.left > 0) {
            insets.left = std::clamp(safe.minX() - mine.minX(), 0.0, mine.width());
        }
        if (outer.bottom > 0) {
            insets.bottom = std::clamp(mine.maxY() - safe.maxY(), 0.0, mine.height());
        }
        if (outer.right > 0) {
            insets.right = std::clamp(mine.maxX() - safe.maxX(), 0.0, mine.width());
        }
    }
    return {insets.top + additionalSafeAreaInsets_.top, insets.left + additionalSafeAreaInsets_.left,
            insets.bottom + additionalSafeAreaInsets_.bottom, insets.right + additionalSafeAreaInsets_.right};
}

CGSize UIView::sizeThatFits(CGSize) const {
    return bounds().size;
}

void UIView::sizeToFit() {
    const CGRect current = frame();
    setFrame(CGRect{current.origin, sizeThatFits(current.size)});
}

void UIView::invalidateIntrinsicContentSize() {
    LayoutEngine::shared().intrinsicContentSizeChanged(*this);
}

void UIView::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
    if (translatesAutoresizingMaskIntoConstraints_ == translates) {
        return;
    }
    translatesAutoresizingMaskIntoConstraints_ = translates;
    LayoutEngine::shared().translatesAutoresizingMaskChanged(*this);
    if (auto parent = superview()) {
        parent->setNeedsLayout();
    }
}

UILayoutPriority UIView::contentHuggingPriorityForAxis(UILayoutConstraintAxis axis) const {
    return hugging_[static_cast<int>(axis)];
}

void UIView::setContentHuggingPriority(UILayoutPriority priority, UILayoutConstraintAxis axis) {
    if (hugging_[static_cast<int>(axis)] == priority) {
        return;
    }
    hugging_[static_cast<int>(axis)] = priority;
    LayoutEngine::shared().intrinsicPrioritiesChanged(*this);
}

UILayoutPriority UIView::contentCompressionResistancePriorityForAxis(UILayoutConstraintAxis axis) const {
    return compression_[static_cast<int>(axis)];
}

void UIView::setContentCompressionResistancePriority(UILayoutPriority priority, UILayoutConstraintAxis axis) {
    if (compression_[static_cast<int>(axis)] == priority) {
        return;
    }
    compression_[static_cast<int>(axis)] = priority;
    LayoutEngine::shared().intrinsicPrioritiesChanged(*this);
}

std::vector<std::shared_ptr<NSLayoutConstraint>> UIView::constraints() const {
    return LayoutEngine::shared().constraintsNaming(*this);
}
