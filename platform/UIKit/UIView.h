#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/SnapKit/ConstraintViewDSL.h"
#include "platform/UIKit/LayoutItem.h"
#include "platform/UIKit/NSLayoutConstraint.h"
#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UILayoutGuide.h"
#include "platform/UIKit/UIResponder.h"
#include "platform/UIKit/UIViewTypes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIGestureRecognizer;
class UIWindow;

// A rectangle of the interface: a node of the view tree with its layer. Views are made with
// std::make_shared and owned by their superview; the superview is a weak back reference.
// Setters return early when nothing changes, then invalidate layout or display. Layout
// computes frames (from constraints or layoutSubviews); drawing only reads them.
class UIView : public UIResponder, public LayoutItem {
  public:
    explicit UIView(const CGRect& frame = CGRectZero);
    // For subclasses backed by another kind of layer (gradient, shape).
    UIView(const CGRect& frame, std::shared_ptr<CALayer> layer);
    ~UIView() override;

    std::shared_ptr<UIView> sharedView() { return std::static_pointer_cast<UIView>(shared_from_this()); }
    const std::shared_ptr<CALayer>& layer() const { return layer_; }

    // ---- Geometry ----
    CGRect frame() const { return layer_->frame(); }
    void setFrame(const CGRect& frame);
    CGRect bounds() const { return layer_->bounds(); }
    void setBounds(const CGRect& bounds);
    CGPoint center() const { return layer_->position(); }
    void setCenter(CGPoint center);
    CGAffineTransform transform() const { return layer_->transform(); }
    void setTransform(const CGAffineTransform& transform);

    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(const CGRect& rect, const UIView* view) const;
    CGRect convertRectFromView(const CGRect& rect, const UIView* view) const;

    // ---- Appearance ----
    CGFloat alpha() const { return layer_->opacity(); }
    void setAlpha(CGFloat alpha);
    bool isHidden() const { return layer_->isHidden(); }
    void setHidden(bool hidden);
    std::optional<UIColor> backgroundColor() const { return layer_->backgroundColor(); }
    void setBackgroundColor(std::optional<UIColor> color);
    // The tint: this view's own, else the superview's, else the system blue.
    UIColor tintColor() const;
    void setTintColor(std::optional<UIColor> color);
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    UIViewContentMode contentMode() const { return contentMode_; }
    void setContentMode(UIViewContentMode mode);
    void setNeedsDisplay() { layer_->setNeedsDisplay(); }

    // ---- Identity and interaction ----
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    std::shared_ptr<UIView> viewWithTag(long tag);
    const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
    void setAccessibilityIdentifier(std::string identifier) {
        accessibilityIdentifier_ = std::move(identifier);
    }
    // What the view says it is: the label set, else what the view shows as text (a label
    // its text; controls their title), else nothing.
    virtual std::string accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }

    // ---- The tree ----
    std::shared_ptr<UIView> superview() const { return superview_.lock(); }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubview(const std::shared_ptr<UIView>& view, size_t index);
    void insertSubviewBelow(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
    void insertSubviewAbove(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
    void bringSubviewToFront(const std::shared_ptr<UIView>& view);
    void sendSubviewToBack(const std::shared_ptr<UIView>& view);
    void removeFromSuperview();
    bool isDescendantOfView(const UIView* view) const;
    // The window at the root of this view's tree, if any.
    UIWindow* window() const;

    // Hooks around tree changes (default: nothing).
    virtual void willMoveToSuperview(UIView* newSuperview) {}
    virtual void didMoveToSuperview() {}
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(UIView& subview) {}
    virtual void willRemoveSubview(UIView& subview) {}

    // ---- Layout ----
    // Lays out this view's subtree now if anything in it needs layout.
    void layoutIfNeeded();
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Positions subviews. The default applies the frames the constraints give; override
    // and call the base first to position subviews by hand.
    virtual void layoutSubviews();
    virtual CGSize sizeThatFits(CGSize size) const;
    void sizeToFit();
    virtual CGSize intrinsicContentSize() const { return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric}; }
    void invalidateIntrinsicContentSize();
    // Views whose intrinsic height depends on their width (wrapping text) answer true and
    // give their size for a width; the engine asks again whenever the width changes.
    virtual bool intrinsicContentSizeDependsOnWidth() const { return false; }
    virtual CGSize intrinsicContentSizeForWidth(CGFloat width) const { return intrinsicContentSize(); }

    bool translatesAutoresizingMaskIntoConstraints() const {
        return translatesAutoresizingMaskIntoConstraints_;
    }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates);
    UILayoutPriority contentHuggingPriorityForAxis(UILayoutConstraintAxis axis) const;
    void setContentHuggingPriority(UILayoutPriority priority, UILayoutConstraintAxis axis);
    UILayoutPriority contentCompressionResistancePriorityForAxis(UILayoutConstraintAxis axis) const;
    void setContentCompressionResistancePriority(UILayoutPriority priority, UILayoutConstraintAxis axis);

    // The active constraints that name this view.
    std::vector<std::shared_ptr<NSLayoutConstraint>> constraints() const;
    void addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint) { constraint->setActive(true); }
    void removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint) {
        constraint->setActive(false);
    }

    NSLayoutAnchor leftAnchor() { return {weakItem(), NSLayoutAttribute::left}; }
    NSLayoutAnchor rightAnchor() { return {weakItem(), NSLayoutAttribute::right}; }
    NSLayoutAnchor topAnchor() { return {weakItem(), NSLayoutAttribute::top}; }
    NSLayoutAnchor bottomAnchor() { return {weakItem(), NSLayoutAttribute::bottom}; }
    NSLayoutAnchor leadingAnchor() { return {weakItem(), NSLayoutAttribute::leading}; }
    NSLayoutAnchor trailingAnchor() { return {weakItem(), NSLayoutAttribute::trailing}; }
    NSLayoutAnchor widthAnchor() { return {weakItem(), NSLayoutAttribute::width}; }
    NSLayoutAnchor heightAnchor() { return {weakItem(), NSLayoutAttribute::height}; }
    NSLayoutAnchor centerXAnchor() { return {weakItem(), NSLayoutAttribute::centerX}; }
    NSLayoutAnchor centerYAnchor() { return {weakItem(), NSLayoutAttribute::centerY}; }

    // Insets of the areas this view shares with the status bar, the home indicator and
    // bars, as of the last layout pass; plus the additional insets a controller asks for.
    UIEdgeInsets safeAreaInsets() const { return safeAreaInsets_; }
    UIEdgeInsets additionalSafeAreaInsets() const { return additionalSafeAreaInsets_; }
    void setAdditionalSafeAreaInsets(const UIEdgeInsets& insets);
    // Called after the safe area insets changed in a layout pass.
    virtual void safeAreaInsetsDidChange() {}
    UIEdgeInsets layoutMargins() const { return layoutMargins_; }
    void setLayoutMargins(const UIEdgeInsets& margins);
    const std::shared_ptr<UILayoutGuide>& safeAreaLayoutGuide();
    const std::shared_ptr<UILayoutGuide>& layoutMarginsGuide();
    const std::shared_ptr<UILayoutGuide>& readableContentGuide();
    void addLayoutGuide(const std::shared_ptr<UILayoutGuide>& guide);
    void removeLayoutGuide(const std::shared_ptr<UILayoutGuide>& guide);
    const std::vector<std::shared_ptr<UILayoutGuide>>& layoutGuides() const { return layoutGuides_; }

    // SnapKit's constraint makers (`view->snp.makeConstraints(...)`) and Masonry's names
    // for the same.
    ConstraintViewDSL snp{this};
    void mas_makeConstraints(const ConstraintViewDSL::Closure& closure) { snp.makeConstraints(closure); }
    void mas_updateConstraints(const ConstraintViewDSL::Closure& closure) { snp.updateConstraints(closure); }
    void mas_remakeConstraints(const ConstraintViewDSL::Closure& closure) { snp.remakeConstraints(closure); }

    // ---- Events ----
    // The deepest visible, interactive view under `point` (in this view's coordinates).
    virtual std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event);
    virtual bool pointInside(CGPoint point, UIEvent* event) const;
    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
        return gestureRecognizers_;
    }
    // Makes the first responder inside this view resign; answers whether it did.
    bool endEditing(bool force);
    std::shared_ptr<UIResponder> nextResponder() const override;
    // Controllers put themselves between their root view and its superview.
    void setNextResponderOverride(std::weak_ptr<UIResponder> responder) {
        nextResponderOverride_ = std::move(responder);
    }

    // ---- Animation ----
    static void animateWithDuration(double duration, const std::function<void()>& animations);
    static void animateWithDuration(double duration, const std::function<void()>& animations,
                                    const std::function<void(bool)>& completion);
    static void animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
                                    const std::function<void()>& animations,
                                    const std::function<void(bool)>& completion);
    static void animateKeyframesWithDuration(double duration, double delay,
                                             UIViewKeyframeAnimationOptions options,
                                             const std::function<void()>& animations,
                                             const std::function<void(bool)>& completion);
    // Inside an animateKeyframes block: the changes made by `animations` happen between
    // the given fractions of the whole duration.
    static void addKeyframeWithRelativeStartTime(double relativeStartTime, double relativeDuration,
                                                 const std::function<void()>& animations);
    static void performWithoutAnimation(const std::function<void()>& actions);

    // ---- LayoutItem ----
    UIView* owningView() const override { return const_cast<UIView*>(this); }
    std::shared_ptr<LayoutItem> sharedLayoutItem() override { return sharedView(); }

  protected:
    // Called after the hidden state of a subview changed.
    virtual void subviewHiddenDidChange(UIView& subview) {}
    // The edges the safe area keeps clear of moved (a window's screen turned): the safe
    // area is computed again at the next layout.
    void safeAreaEdgesDidChange() { markSafeAreaDirty(false); }
    // Called after tintColor() may have changed (own or inherited).
    virtual void tintColorDidChange() {}

  private:
    friend class LayoutEngine;
    friend class UILayoutGuide;
    std::weak_ptr<LayoutItem> weakItem() { return std::weak_ptr<LayoutItem>(sharedView()); }
    void attachSubview(const std::shared_ptr<UIView>& view, size_t index);
    void notifyMovedToWindow();
    void geometryChanged(bool resized);
    void markSubtreeNeedsLayout();
    void markSafeAreaDirty(bool wholeSubtree);
    void layoutSubtree(bool forceSafeArea);
    bool refreshSafeAreaInsets();
    UIEdgeInsets computeSafeAreaInsets() const;
    void propagateTintChange();
    // Insets of one of this view's guides from its bounds.
    UIEdgeInsets insetsForGuide(const UILayoutGuide& guide) const;
    const std::shared_ptr<UILayoutGuide>& systemGuide(std::shared_ptr<UILayoutGuide>& slot, int kind);

    std::shared_ptr<CALayer> layer_;
    std::weak_ptr<UIView> superview_;
    std::vector<std::shared_ptr<UIView>> subviews_;
    std::weak_ptr<UIResponder> nextResponderOverride_;
    std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers_;

    long tag_ = 0;
    std::string accessibilityIdentifier_;
    std::string accessibilityLabel_;
    bool userInteractionEnabled_ = true;
    std::optional<UIColor> tintColor_;
    UIViewContentMode contentMode_ = UIViewContentMode::scaleToFill;

    bool needsLayout_ = true;
    bool subtreeNeedsLayout_ = false;
    bool safeAreaDirty_ = true;
    bool safeAreaForcesSubtree_ = true;
    bool translatesAutoresizingMaskIntoConstraints_ = true;
    UILayoutPriority hugging_[2] = {UILayoutPriorityDefaultLow, UILayoutPriorityDefaultLow};
    UILayoutPriority compression_[2] = {UILayoutPriorityDefaultHigh, UILayoutPriorityDefaultHigh};
    UIEdgeInsets safeAreaInsets_;
    UIEdgeInsets additionalSafeAreaInsets_;
    UIEdgeInsets layoutMargins_{8, 8, 8, 8};
    std::shared_ptr<UILayoutGuide> safeAreaGuide_;
    std::shared_ptr<UILayoutGuide> marginsGuide_;
    std::shared_ptr<UILayoutGuide> readableGuide_;
    std::vector<std::shared_ptr<UILayoutGuide>> layoutGuides_;
};
