#include "platform/QMUIKit/Controls/QMUIFloatLayoutView.h"

#include <algorithm>
#include <limits>

QMUIFloatLayoutView::QMUIFloatLayoutView(const CGRect& frame) : UIView(frame) {}

void QMUIFloatLayoutView::setPadding(const UIEdgeInsets& padding) {
    if (padding_ == padding) {
        return;
    }
    padding_ = padding;
    setNeedsLayout();
}

void QMUIFloatLayoutView::setMinimumItemSize(CGSize size) {
    if (minimumItemSize_ == size) {
        return;
    }
    minimumItemSize_ = size;
    setNeedsLayout();
}

void QMUIFloatLayoutView::setItemMargins(const UIEdgeInsets& margins) {
    if (itemMargins_ == margins) {
        return;
    }
    itemMargins_ = margins;
    setNeedsLayout();
}

void QMUIFloatLayoutView::didAddSubview(UIView&) {
    setNeedsLayout();
}

void QMUIFloatLayoutView::willRemoveSubview(UIView&) {
    setNeedsLayout();
}

CGFloat QMUIFloatLayoutView::arrange(CGFloat width, std::vector<CGRect>* frames) const {
    const CGFloat left = padding_.left;
    const CGFloat right = width - padding_.right;
    CGFloat x = left;
    CGFloat lineTop = padding_.top;
    CGFloat lineBottom = padding_.top; // the bottom of the current line, margins included
    bool lineEmpty = true;
    for (const auto& item : subviews()) {
        if (item->isHidden()) {
            continue;
        }
        const CGSize fitting = item->sizeThatFits({right - left, std::numeric_limits<CGFloat>::max()});
        const CGSize size{std::max(fitting.width, minimumItemSize_.width),
                          std::max(fitting.height, minimumItemSize_.height)};
        const CGFloat needed = itemMargins_.left + size.width + itemMargins_.right;
        // An item that does not fit starts a new line, unless it is the first of its line.
        if (!lineEmpty && x + itemMargins_.left + size.width > right) {
            x = left;
            lineTop = lineBottom;
        }
        const CGRect frame{{x + itemMargins_.left, lineTop + itemMargins_.top}, size};
        if (frames != nullptr) {
            frames->push_back(frame);
        }
        x += needed;
        lineBottom = std::max(lineBottom, frame.maxY() + itemMargins_.bottom);
        lineEmpty = false;
    }
    return lineEmpty ? padding_.top + padding_.bottom : lineBottom + padding_.bottom;
}

CGSize QMUIFloatLayoutView::sizeThatFits(CGSize size) const {
    return {size.width, arrange(size.width, nullptr)};
}

void QMUIFloatLayoutView::layoutSubviews() {
    UIView::layoutSubviews();
    std::vector<CGRect> frames;
    arrange(bounds().size.width, &frames);
    std::size_t next = 0;
    for (const auto& item : subviews()) {
        if (!item->isHidden() && next < frames.size()) {
            item->setFrame(frames[next++]);
        }
    }
}
