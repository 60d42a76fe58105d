#pragma once

#include "platform/QuartzCore/CAGradientLayer.h"
#include "platform/UIKit/NSLayoutConstraint.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>
#include <vector>

// Shorthands for views, layers and constraints used by every screen.

// Removes the subviews one by one, first first.
void removeAllSubviews(UIView& view);
// Rounds the layer's corners by `radius` and clips the content to them.
void cornerRadius(UIView& view, CGFloat radius);
// Narrows the view so that it ends at `maxRight` when it starts left of it and would end
// beyond it; otherwise leaves the frame alone.
void setMaxRight(UIView& view, CGFloat maxRight);

// Runs `action` when the view is tapped, turning on its interaction. One view has at most
// one such recognizer: a later call replaces the action.
using TapAction = std::function<void(UITapGestureRecognizer&)>;
void addTapAction(UIView& view, TapAction action);

// A new gradient layer over the bounds of `with` from `beginColor` to `endColor` between
// two unit points; it is not added anywhere.
std::shared_ptr<CAGradientLayer> linearGradientLayer(const UIView& with, const UIColor& beginColor,
                                                     const UIColor& endColor, CGPoint startPoint,
                                                     CGPoint endPoint);
// Puts a top-to-bottom gradient of `colors` behind every sublayer of `layer`, over its
// bounds, and clips the layer to its bounds.
void addGradientBackground(CALayer& layer, const std::vector<UIColor>& colors);

// Holds the view's edges to its superview's, moved by `edge` as given (bottom and right
// insets move inwards when negative). Nothing without a superview.
void fillParent(UIView& view, const UIEdgeInsets& edge);
// Activates the constraints in order, then stops autoresizing translation for every view
// that is a constraint's first item.
void activeAll(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);

// Frame accessors: each reads one part of the frame (or centre) and writes it keeping the
// others.
namespace UIViewFrame {
CGFloat left(const UIView& view);
void setLeft(UIView& view, CGFloat value);
CGFloat top(const UIView& view);
void setTop(UIView& view, CGFloat value);
CGFloat right(const UIView& view);
void setRight(UIView& view, CGFloat value);
CGFloat bottom(const UIView& view);
void setBottom(UIView& view, CGFloat value);
CGFloat centerX(const UIView& view);
void setCenterX(UIView& view, CGFloat value);
CGFloat centerY(const UIView& view);
void setCenterY(UIView& view, CGFloat value);
CGFloat width(const UIView& view);
void setWidth(UIView& view, CGFloat value);
CGFloat height(const UIView& view);
void setHeight(UIView& view, CGFloat value);
CGPoint origin(const UIView& view);
void setOrigin(UIView& view, CGPoint value);
CGSize size(const UIView& view);
void setSize(UIView& view, CGSize value);
} // namespace UIViewFrame
