#include "platform/UIKit/Controls/LayoutFitting.h"

#include "platform/UIKit/LayoutEngine.h"
#include "platform/UIKit/UIView.h"

std::optional<CGFloat> constrainedHeightForWidth(UIView& view, CGFloat width) {
    LayoutEngine& engine = LayoutEngine::shared();
    engine.settle();
    if (view.constraints().empty()) {
        return std::nullopt;
    }
    const bool translated = view.translatesAutoresizingMaskIntoConstraints();
    auto keepAlive = view.sharedView();
    view.setTranslatesAutoresizingMaskIntoConstraints(false);
    auto fixedWidth = view.widthAnchor().constraintEqualToConstant(width);
    // As low as the contents allow: a wish weaker than any the contents express.
    auto leastHeight = view.heightAnchor().constraintEqualToConstant(0);
    leastHeight->setPriority(UILayoutPriorityFittingSizeLevel);
    NSLayoutConstraint::activateConstraints({fixedWidth, leastHeight});
    engine.settle();
    const CGFloat height = engine.solvedFrame(view).size.height;
    NSLayoutConstraint::deactivateConstraints({fixedWidth, leastHeight});
    view.setTranslatesAutoresizingMaskIntoConstraints(translated);
    view.setNeedsLayout();
    return height;
}
