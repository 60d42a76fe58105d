#include "app/Extensions/UIViewExtensions.h"

namespace {

// The recognizer addTapAction attaches; it carries the view's current action.
class TapActionRecognizer : public UITapGestureRecognizer {
  public:
    TapActionRecognizer()
        : UITapGestureRecognizer([](UIGestureRecognizer& recognizer) {
              auto& self = static_cast<TapActionRecognizer&>(recognizer);
              if (self.action) {
                  TapAction running = self.action;
                  running(self);
              }
          }) {}
    TapAction action;
};

} // namespace

void removeAllSubviews(UIView& view) {
    while (!view.subviews().empty()) {
        view.subviews().front()->removeFromSuperview();
    }
}

void cornerRadius(UIView& view, CGFloat radius) {
    view.layer()->setCornerRadius(radius);
    view.layer()->setMasksToBounds(true);
}

void setMaxRight(UIView& view, CGFloat maxRight) {
    CGRect frame = view.frame();
    const CGFloat available = maxRight - frame.origin.x;
    if (available >= 0 && available < frame.size.width) {
        frame.size.width = available;
        view.setFrame(frame);
    }
}

void addTapAction(UIView& view, TapAction action) {
    view.setUserInteractionEnabled(true);
    std::shared_ptr<TapActionRecognizer> recognizer;
    for (const auto& attached : view.gestureRecognizers()) {
        if ((recognizer = std::dynamic_pointer_cast<TapActionRecognizer>(attached))) {
            break;
        }
    }
    if (!recognizer) {
        recognizer = std::make_shared<TapActionRecognizer>();
        view.addGestureRecognizer(recognizer);
    }
    recognizer->action = std::move(action);
}

std::shared_ptr<CAGradientLayer> linearGradientLayer(const UIView& with, const UIColor& beginColor,
                                                     const UIColor& endColor, CGPoint startPoint,
                                                     CGPoint endPoint) {
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(with.bounds());
    gradient->setColors({beginColor, endColor});
    gradient->setStartPoint(startPoint);
    gradient->setEndPoint(endPoint);
    gradient->setLocations({0, 1});
    return gradient;
}

void addGradientBackground(CALayer& layer, const std::vector<UIColor>& colors) {
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(layer.bounds());
    gradient->setColors(colors);
    gradient->setLocations({0, 1});
    gradient->setStartPoint({0, 0});
    gradient->setEndPoint({0, 1});
    layer.setMasksToBounds(true);
    layer.insertSublayer(gradient, 0);
}

void fillParent(UIView& view, const UIEdgeInsets& edge) {
    auto superview = view.superview();
    if (!superview) {
        return;
    }
    view.setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        view.topAnchor().constraintEqualToAnchor(superview->topAnchor(), edge.top),
        view.leftAnchor().constraintEqualToAnchor(superview->leftAnchor(), edge.left),
        view.bottomAnchor().constraintEqualToAnchor(superview->bottomAnchor(), edge.bottom),
        view.rightAnchor().constraintEqualToAnchor(superview->rightAnchor(), edge.right),
    });
}

void activeAll(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints) {
    NSLayoutConstraint::activateConstraints(constraints);
    for (const auto& constraint : constraints) {
        if (auto view = std::dynamic_pointer_cast<UIView>(constraint->firstItem())) {
            view->setTranslatesAutoresizingMaskIntoConstraints(false);
        }
    }
}

namespace UIViewFrame {

namespace {

// Sets the frame of `view` to its current one as `change` edits it (a copy of it).
template <class Change> void changeFrame(UIView& view, Change change) {
    CGRect frame = view.frame();
    change(frame);
    view.setFrame(frame);
}

} // namespace

CGFloat left(const UIView& view) {
    return view.frame().origin.x;
}
void setLeft(UIView& view, CGFloat value) {
    changeFrame(view, [value](CGRect& frame) { frame.origin.x = value; });
}

CGFloat top(const UIView& view) {
    return view.frame().origin.y;
}
void setTop(UIView& view, CGFloat value) {
    changeFrame(view, [value](CGRect& frame) { frame.origin.y = value; });
}

CGFloat right(const UIView& view) {
    return view.frame().origin.x + view.frame().size.width;
}
void setRight(UIView& view, CGFloat value) {
    changeFrame(view, [value](CGRect& frame) { frame.origin.x = value - frame.size.width; });
}

CGFloat bottom(const UIView& view) {
    return view.frame().origin.y + view.frame().size.height;
}
void setBottom(UIView& view, CGFloat value) {
    changeFrame(view, [value](CGRect& frame) { frame.origin.y = value - frame.size.height; });
}

CGFloat centerX(const UIView& view) {
    return view.center().x;
}
void setCenterX(UIView& view, CGFloat value) {
    view.setCenter({value, view.center().y});
}

CGFloat centerY(const UIView& view) {
    return view.center().y;
}
void setCenterY(UIView& view, CGFloat value) {
    view.setCenter({view.center().x, value});
}

CGFloat width(const UIView& view) {
    return view.frame().size.width;
}
void setWidth(UIView& view, CGFloat value) {
    changeFrame(view, [value](CGRect& frame) { frame.size.width = value; });
}

CGFloat height(const UIView& view) {
    return view.frame().size.height;
}
void setHeight(UIView& view, CGFloat value) {
    changeFrame(view, [value](CGRect& frame) { frame.size.height = value; });
}

CGPoint origin(const UIView& view) {
    return view.frame().origin;
}
void setOrigin(UIView& view, CGPoint value) {
    view.setFrame({value, view.frame().size});
}

CGSize size(const UIView& view) {
    return view.frame().size;
}
void setSize(UIView& view, CGSize value) {
    view.setFrame({view.frame().origin, value});
}

} // namespace UIViewFrame
