#include "platform/SJVideoPlayer/SJEdgeControlButtonItem.h"

#include "platform/SJVideoPlayer/SJEdgeControlButtonItemAdapter.h"

#include <cmath>

std::shared_ptr<SJEdgeControlButtonItem>
SJEdgeControlButtonItem::initWithCustomView(std::shared_ptr<UIView> customView,
                                            SJEdgeControlButtonItemTag tag) {
    auto item = initWithTag(tag);
    item->customView_ = std::move(customView);
    return item;
}

std::shared_ptr<SJEdgeControlButtonItem>
SJEdgeControlButtonItem::initWithImage(std::shared_ptr<UIImage> image, SJEdgeControlButtonItemTag tag) {
    auto item = initWithTag(tag);
    item->image_ = std::move(image);
    return item;
}

std::shared_ptr<SJEdgeControlButtonItem>
SJEdgeControlButtonItem::initWithTitle(std::optional<NSAttributedString> title,
                                       SJEdgeControlButtonItemTag tag) {
    auto item = initWithTag(tag);
    item->title_ = std::move(title);
    return item;
}

std::shared_ptr<SJEdgeControlButtonItem>
SJEdgeControlButtonItem::initWithTag(SJEdgeControlButtonItemTag tag) {
    return std::shared_ptr<SJEdgeControlButtonItem>(new SJEdgeControlButtonItem(tag));
}

void SJEdgeControlButtonItem::changed() {
    if (auto adapter = adapter_.lock()) {
        adapter->itemDidChange(*this);
    }
}

void SJEdgeControlButtonItem::setCustomView(std::shared_ptr<UIView> view) {
    if (customView_ == view) {
        return;
    }
    if (customView_ && !adapter_.expired()) {
        customView_->removeFromSuperview();
    }
    customView_ = std::move(view);
    changed();
}

void SJEdgeControlButtonItem::setImage(std::shared_ptr<UIImage> image) {
    if (image_ == image) {
        return;
    }
    image_ = std::move(image);
    changed();
}

void SJEdgeControlButtonItem::setTitle(std::optional<NSAttributedString> title) {
    if (title_ == title) {
        return;
    }
    title_ = std::move(title);
    changed();
}

void SJEdgeControlButtonItem::setHidden(bool hidden) {
    if (hidden_ == hidden) {
        return;
    }
    hidden_ = hidden;
    changed();
}

void SJEdgeControlButtonItem::setInnerHidden(bool hidden) {
    if (innerHidden_ == hidden) {
        return;
    }
    innerHidden_ = hidden;
    changed();
}

void SJEdgeControlButtonItem::setFill(bool fill) {
    if (fill_ == fill) {
        return;
    }
    fill_ = fill;
    changed();
}

void SJEdgeControlButtonItem::setInsets(SJEdgeInsets insets) {
    if (insets_ == insets) {
        return;
    }
    insets_ = insets;
    changed();
}

void SJEdgeControlButtonItem::setAlpha(CGFloat alpha) {
    alpha = std::isfinite(alpha) ? std::fmin(1.0, std::fmax(0.0, alpha)) : 1.0;
    if (alpha_ == alpha) {
        return;
    }
    alpha_ = alpha;
    changed();
}

void SJEdgeControlButtonItem::setSize(CGFloat size) {
    size = std::isfinite(size) && size > 0 ? size : 0;
    if (size_ == size) {
        return;
    }
    size_ = size;
    changed();
}

void SJEdgeControlButtonItem::addAction(Action action) {
    if (action) {
        actions_.push_back(std::move(action));
    }
}

void SJEdgeControlButtonItem::performActions() {
    auto self = shared_from_this();
    for (const Action& action : std::vector(actions_)) {
        action(*this);
    }
}
