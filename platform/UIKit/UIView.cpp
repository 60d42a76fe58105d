#include "platform/UIKit/UIView.h"

#include "platform/UIKit/LayoutEngine.h"
#include "platform/UIKit/LayoutItemState.h"
#include "platform/UIKit/UIGestureRecognizer.h"
#include "platform/UIKit/UILayoutGuide.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

namespace {

CALayerContentsGravity gravityFor(UIViewContentMode mode) {
    switch (mode) {
    case UIViewContentMode::scaleToFill:
    case UIViewContentMode::redraw:
        return CALayerContentsGravity::resize;
    case UIViewContentMode::scaleAspectFit:
        return CALayerContentsGravity::resizeAspect;
    case UIViewContentMode::scaleAspectFill:
        return CALayerContentsGravity::resizeAspectFill;
    case UIViewContentMode::center:
        return CALayerContentsGravity::center;
    case UIViewContentMode::top:
        return CALayerContentsGravity::top;
    case UIViewContentMode::bottom:
        return CALayerContentsGravity::bottom;
    case UIViewContentMode::left:
        return CALayerContentsGravity::left;
    case UIViewContentMode::right:
        return CALayerContentsGravity::right;
    case UIViewContentMode::topLeft:
        return CALayerContentsGravity::topLeft;
    case UIViewContentMode::topRight:
        return CALayerContentsGravity::topRight;
    case UIViewContentMode::bottomLeft:
        return CALayerContentsGravity::bottomLeft;
    case UIViewContentMode::bottomRight:
        return CALayerContentsGravity::bottomRight;
    }
    return CALayerContentsGravity::resize;
}

bool sameRect(const CGRect& a, const CGRect& b) {
    return a.origin == b.origin && a.size == b.size;
}

UIEdgeInsets addInsets(const UIEdgeInsets& a, const UIEdgeInsets& b) {
    return {a.top + b.top, a.left + b.left, a.bottom + b.bottom, a.right + b.right};
}

} // namespace

UIView::UIView(const CGRect& frame) : UIView(frame, CALayer::layer()) {}

UIView::UIView(const CGRect& frame, std::shared_ptr<CALayer> layer) : layer_(std::move(layer)) {
    layer_->setFrame(frame);
}

UIView::~UIView() {
    LayoutEngine::shared().itemWillBeDestroyed(*this);
}

// ---- Geometry --------------------------------------------------------------------------

void UIView::geometryChanged(bool resized) {
    if (resized) {
        setNeedsLayout();
    }
    LayoutEngine::shared().viewGeometryChanged(*this);
    markSafeAreaDirty(false);
}

void UIView::setFrame(const CGRect& frame) {
    if (sameRect(this->frame(), frame)) {
        return;
    }
    const CGSize oldSize = bounds().size;
    layer_->setFrame(frame);
    geometryChanged(bounds().size != oldSize);
}

void UIView::setBounds(const CGRect& bounds) {
    const CGRect old = this->bounds();
    if (sameRect(old, bounds)) {
        return;
    }
    layer_->setBounds(bounds);
    geometryChanged(old.size != bounds.size);
}

void UIView::setCenter(CGPoint center) {
    if (this->center() == center) {
        return;
    }
    layer_->setPosition(center);
    geometryChanged(false);
}

void UIView::setTransform(const CGAffineTransform& transform) {
    layer_->setTransform(transform);
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const {
    return layer_->convertPointToLayer(point, view != nullptr ? view->layer_.get() : nullptr);
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const {
    return layer_->convertPointFromLayer(point, view != nullptr ? view->layer_.get() : nullptr);
}

CGRect UIView::convertRectToView(const CGRect& rect, const UIView* view) const {
    return layer_->convertRectToLayer(rect, view != nullptr ? view->layer_.get() : nullptr);
}

CGRect UIView::convertRectFromView(const CGRect& rect, const UIView* view) const {
    if (view != nullptr) {
        return view->convertRectToView(rect, this);
    }
    // From the coordinates of the root of the tree (the window's).
    const UIView* root = this;
    for (auto parent = superview(); parent; parent = parent->superview()) {
        root = parent.get();
    }
    return root->convertRectToView(rect, this);
}

// ---- Appearance ------------------------------------------------------------------------

void UIView::setAlpha(CGFloat alpha) {
    layer_->setOpacity(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
}

void UIView::setHidden(bool hidden) {
    if (isHidden() == hidden) {
        return;
    }
    layer_->setHidden(hidden);
    if (auto parent = superview()) {
        parent->subviewHiddenDidChange(*this);
    }
}

void UIView::setBackgroundColor(std::optional<UIColor> color) {
    layer_->setBackgroundColor(color);
}

UIColor UIView::tintColor() const {
    if (tintColor_) {
        return *tintColor_;
    }
    if (auto parent = superview()) {
        return parent->tintColor();
    }
    return UIColor::colorWithRed(0, 122 / 255.0, 1, 1);
}

void UIView::setTintColor(std::optional<UIColor> color) {
    if (tintColor_ == color) {
        return;
    }
    const UIColor before = tintColor();
    tintColor_ = color;
    if (tintColor() != before) {
        propagateTintChange();
    }
}

void UIView::propagateTintChange() {
    tintColorDidChange();
    for (const auto& subview : subviews_) {
        if (!subview->tintColor_) {
            subview->propagateTintChange();
        }
    }
}

void UIView::setContentMode(UIViewContentMode mode) {
    if (contentMode_ == mode) {
        return;
    }
    contentMode_ = mode;
    layer_->setContentsGravity(gravityFor(mode));
    setNeedsDisplay();
}

std::shared_ptr<UIView> UIView::viewWithTag(long tag) {
    if (tag_ == tag) {
        return sharedView();
    }
    for (const auto& subview : subviews_) {
        if (auto found = subview->viewWithTag(tag)) {
            return found;
        }
    }
    return nullptr;
}

// ---- Tree ------------------------------------------------------------------------------

UIWindow* UIView::window() const {
    const UIView* root = this;
    for (auto parent = superview(); parent; parent = parent->superview()) {
        root = parent.get();
    }
    return dynamic_cast<UIWindow*>(const_cast<UIView*>(root));
}

bool UIView::isDescendantOfView(const UIView* view) const {
    if (view == nullptr) {
        return false;
    }
    if (view == this) {
        return true;
    }
    for (auto parent = superview(); parent; parent = parent->superview()) {
        if (parent.get() == view) {
            return true;
        }
    }
    return false;
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
    attachSubview(view, subviews_.size());
}

void UIView::insertSubview(const std::shared_ptr<UIView>& view, size_t index) {
    attachSubview(view, index);
}

void UIView::insertSubviewBelow(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling) {
    auto found = std::find(subviews_.begin(), subviews_.end(), sibling);
    attachSubview(view, found == subviews_.end() ? 0 : static_cast<size_t>(found - subviews_.begin()));
}

void UIView::insertSubviewAbove(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling) {
    auto found = std::find(subviews_.begin(), subviews_.end(), sibling);
    attachSubview(view, found == subviews_.end() ? subviews_.size()
                                                 : static_cast<size_t>(found - subviews_.begin()) + 1);
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view) {
    if (view && view->superview().get() == this) {
        attachSubview(view, subviews_.size());
    }
}

void UIView::sendSubviewToBack(const std::shared_ptr<UIView>& view) {
    if (view && view->superview().get() == this) {
        attachSubview(view, 0);
    }
}

void UIView::attachSubview(const std::shared_ptr<UIView>& view, size_t index) {
    if (!view || view.get() == this || isDescendantOfView(view.get())) {
        return;
    }
    auto self = sharedView();
    auto oldParent = view->superview();
    if (oldParent.get() == this) {
        // Reordering among siblings: only the drawing order changes.
        auto position = std::find(subviews_.begin(), subviews_.end(), view);
        const size_t from = static_cast<size_t>(position - subviews_.begin());
        subviews_.erase(position);
        index = std::min(index > from ? index - 1 : index, subviews_.size());
        subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
        if (index + 1 < subviews_.size()) {
            layer_->insertSublayerBelow(view->layer_, subviews_[index + 1]->layer_.get());
        } else {
            layer_->addSublayer(view->layer_);
        }
        return;
    }
    UIWindow* oldWindow = view->window();
    const UIColor oldTint = view->tintColor();
    view->willMoveToSuperview(this);
    if (oldParent) {
        LayoutEngine::shared().viewWillLeaveSuperview(*view);
        oldParent->willRemoveSubview(*view);
        auto& siblings = oldParent->subviews_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), view), siblings.end());
        oldParent->setNeedsLayout();
    }
    index = std::min(index, subviews_.size());
    const std::shared_ptr<UIView> below = index < subviews_.size() ? subviews_[index] : nullptr;
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
    view->superview_ = self;
    if (below) {
        layer_->insertSublayerBelow(view->layer_, below->layer_.get());
    } else {
        layer_->addSublayer(view->layer_);
    }
    LayoutEngine::shared().viewDidChangeSuperview(*view);
    view->markSafeAreaDirty(true);
    setNeedsLayout();
    view->didMoveToSuperview();
    didAddSubview(*view);
    if (view->window() != oldWindow) {
        view->notifyMovedToWindow();
    }
    if (!view->tintColor_ && view->tintColor() != oldTint) {
        view->propagateTintChange();
    }
}

void UIView::removeFromSuperview() {
    auto parent = superview();
    if (!parent) {
        return;
    }
    auto self = sharedView();
    UIWindow* oldWindow = window();
    const UIColor oldTint = tintColor();
    willMoveToSuperview(nullptr);
    LayoutEngine::shared().viewWillLeaveSuperview(*this);
    parent->willRemoveSubview(*this);
    auto& siblings = parent->subviews_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    layer_->removeFromSuperlayer();
    superview_.reset();
    LayoutEngine::shared().viewDidChangeSuperview(*this);
    parent->setNeedsLayout();
    if (auto responder = std::dynamic_pointer_cast<UIView>(UIResponder::currentFirstResponder())) {
        if (responder->isDescendantOfView(this)) {
            responder->resignFirstResponder();
        }
    }
    didMoveToSuperview();
    if (oldWindow != nullptr) {
        notifyMovedToWindow();
    }
    if (!tintColor_ && tintColor() != oldTint) {
        propagateTintChange();
    }
}

void UIView::notifyMovedToWindow() {
    didMoveToWindow();
    const auto subviews = subviews_;
    for (const auto& subview : subviews) {
        subview->notifyMovedToWindow();
    }
}

// ---- Events ----------------------------------------------------------------------------

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, UIEvent* event) {
    if (!userInteractionEnabled_ || isHidden() || alpha() < 0.01 || !pointInside(point, event)) {
        return nullptr;
    }
    const auto subviews = subviews_;
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        const CGPoint local =
            CGPointApplyAffineTransform(point, (*it)->layer_->transformToSuperlayer().inverted());
        if (auto hit = (*it)->hitTest(local, event)) {
            return hit;
        }
    }
    return sharedView();
}

bool UIView::pointInside(CGPoint point, UIEvent*) const {
    return bounds().contains(point);
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    if (!recognizer || std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer) !=
                           gestureRecognizers_.end()) {
        return;
    }
    if (auto previous = recognizer->view()) {
        previous->removeGestureRecognizer(recognizer);
    }
    gestureRecognizers_.push_back(recognizer);
    recognizer->setView(sharedView());
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    auto found = std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer);
    if (found == gestureRecognizers_.end()) {
        return;
    }
    gestureRecognizers_.erase(found);
    recognizer->setView(nullptr);
}

bool UIView::endEditing(bool force) {
    auto responder = std::dynamic_pointer_cast<UIView>(UIResponder::currentFirstResponder());
    if (!responder || !responder->isDescendantOfView(this)) {
        return true;
    }
    return responder->resignFirstResponder() || force;
}

std::shared_ptr<UIResponder> UIView::nextResponder() const {
    if (auto controller = nextResponderOverride_.lock()) {
        return controller;
    }
    return superview();
}

// ---- Layout guides ---------------------------------------------------------------------

const std::shared_ptr<UILayoutGuide>& UIView::systemGuide(std::shared_ptr<UILayoutGuide>& slot, int kind) {
    if (!slot) {
        slot = std::make_shared<UILayoutGuide>(static_cast<UILayoutGuide::Kind>(kind));
        slot->owner_ = sharedView();
    }
    return slot;
}

const std::shared_ptr<UILayoutGuide>& UIView::safeAreaLayoutGuide() {
    return systemGuide(safeAreaGuide_, static_cast<int>(UILayoutGuide::Kind::safeArea));
}

const std::shared_ptr<UILayoutGuide>& UIView::layoutMarginsGuide() {
    return systemGuide(marginsGuide_, static_cast<int>(UILayoutGuide::Kind::layoutMargins));
}

const std::shared_ptr<UILayoutGuide>& UIView::readableContentGuide() {
    return systemGuide(readableGuide_, static_cast<int>(UILayoutGuide::Kind::readableContent));
}

void UIView::addLayoutGuide(const std::shared_ptr<UILayoutGuide>& guide) {
    if (!guide || std::find(layoutGuides_.begin(), layoutGuides_.end(), guide) != layoutGuides_.end()) {
        return;
    }
    guide->owner_ = sharedView();
    layoutGuides_.push_back(guide);
}

void UIView::removeLayoutGuide(const std::shared_ptr<UILayoutGuide>& guide) {
    auto found = std::find(layoutGuides_.begin(), layoutGuides_.end(), guide);
    if (found == layoutGuides_.end()) {
        return;
    }
    LayoutEngine::shared().itemWillBeDestroyed(*guide);
    guide->owner_.reset();
    layoutGuides_.erase(found);
}

UIEdgeInsets UIView::insetsForGuide(const UILayoutGuide& guide) const {
    switch (guide.kind()) {
    case UILayoutGuide::Kind::custom:
        break;
    case UILayoutGuide::Kind::safeArea:
        return safeAreaInsets_;
    case UILayoutGuide::Kind::layoutMargins:
        return addInsets(safeAreaInsets_, layoutMargins_);
    case UILayoutGuide::Kind::readableContent: {
        UIEdgeInsets insets = addInsets(safeAreaInsets_, layoutMargins_);
        // Lines of text stay readable: at most 672 points wide, centred.
        constexpr CGFloat readableWidth = 672;
        const CGFloat available = bounds().size.width - insets.left - insets.right;
        if (available > readableWidth) {
            insets.left += (available - readableWidth) / 2;
            insets.right += (available - readableWidth) / 2;
        }
        return insets;
    }
    }
    return UIEdgeInsetsZero;
}

void UIView::setAdditionalSafeAreaInsets(const UIEdgeInsets& insets) {
    if (additionalSafeAreaInsets_ == insets) {
        return;
    }
    additionalSafeAreaInsets_ = insets;
    markSafeAreaDirty(true);
}

void UIView::setLayoutMargins(const UIEdgeInsets& margins) {
    if (layoutMargins_ == margins) {
        return;
    }
    layoutMargins_ = margins;
    for (auto* guide : {marginsGuide_.get(), readableGuide_.get()}) {
        if (guide != nullptr) {
            LayoutEngine::shared().guideInsetsChanged(*guide);
        }
    }
    setNeedsLayout();
}
