#include "platform/SJVideoPlayer/SJEdgeControlButtonItemAdapter.h"

#include <algorithm>
#include <cmath>

namespace {

// Room around the text of a title item.
constexpr CGFloat kTitlePadding = 6;

} // namespace

SJEdgeControlButtonItemAdapter::SJEdgeControlButtonItemAdapter(SJAdapterItemsLayout layout, CGFloat thickness)
    : layout_(layout), thickness_(thickness) {}

SJEdgeControlButtonItemAdapter::~SJEdgeControlButtonItemAdapter() = default;

void SJEdgeControlButtonItemAdapter::setContentPadding(CGFloat padding) {
    if (padding_ == padding) {
        return;
    }
    padding_ = padding;
    setNeedsLayout();
}

std::shared_ptr<SJEdgeControlButtonItem> SJEdgeControlButtonItemAdapter::itemAtIndex(size_t index) const {
    return index < items_.size() ? items_[index] : nullptr;
}

std::shared_ptr<SJEdgeControlButtonItem>
SJEdgeControlButtonItemAdapter::itemForTag(SJEdgeControlButtonItemTag tag) const {
    const auto index = indexOfItemForTag(tag);
    return index ? items_[*index] : nullptr;
}

std::optional<size_t>
SJEdgeControlButtonItemAdapter::indexOfItemForTag(SJEdgeControlButtonItemTag tag) const {
    for (size_t index = 0; index < items_.size(); ++index) {
        if (items_[index]->tag() == tag) {
            return index;
        }
    }
    return std::nullopt;
}

bool SJEdgeControlButtonItemAdapter::containsItem(
    const std::shared_ptr<SJEdgeControlButtonItem>& item) const {
    return std::find(items_.begin(), items_.end(), item) != items_.end();
}

void SJEdgeControlButtonItemAdapter::addItem(const std::shared_ptr<SJEdgeControlButtonItem>& item) {
    insertItem(item, items_.size());
}

void SJEdgeControlButtonItemAdapter::addItemsFromArray(
    const std::vector<std::shared_ptr<SJEdgeControlButtonItem>>& items) {
    for (const auto& item : items) {
        addItem(item);
    }
}

void SJEdgeControlButtonItemAdapter::insertItem(const std::shared_ptr<SJEdgeControlButtonItem>& item,
                                                size_t index) {
    if (!item || containsItem(item)) {
        return;
    }
    adopt(item);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, items_.size())), item);
    setNeedsLayout();
}

void SJEdgeControlButtonItemAdapter::removeItemForTag(SJEdgeControlButtonItemTag tag) {
    if (const auto index = indexOfItemForTag(tag)) {
        removeItemAtIndex(*index);
    }
}

void SJEdgeControlButtonItemAdapter::removeItemAtIndex(size_t index) {
    if (index >= items_.size()) {
        return;
    }
    auto item = items_[index];
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    release(item);
    setNeedsLayout();
}

void SJEdgeControlButtonItemAdapter::removeAllItems() {
    while (!items_.empty()) {
        removeItemAtIndex(items_.size() - 1);
    }
}

void SJEdgeControlButtonItemAdapter::exchangeItemForTag(SJEdgeControlButtonItemTag tag,
                                                        SJEdgeControlButtonItemTag otherTag) {
    const auto index = indexOfItemForTag(tag);
    const auto otherIndex = indexOfItemForTag(otherTag);
    if (index && otherIndex) {
        exchangeItemAtIndex(*index, *otherIndex);
    }
}

void SJEdgeControlButtonItemAdapter::exchangeItemAtIndex(size_t index, size_t otherIndex) {
    if (index >= items_.size() || otherIndex >= items_.size() || index == otherIndex) {
        return;
    }
    std::swap(items_[index], items_[otherIndex]);
    setNeedsLayout();
}

void SJEdgeControlButtonItemAdapter::reload() {
    setNeedsLayout();
    layoutIfNeeded();
}

void SJEdgeControlButtonItemAdapter::updateContentForItemWithTag(SJEdgeControlButtonItemTag tag) {
    if (itemForTag(tag)) {
        reload();
    }
}

void SJEdgeControlButtonItemAdapter::itemDidChange(SJEdgeControlButtonItem& item) {
    auto found = buttons_.find(&item);
    if (found != buttons_.end() && item.customView()) {
        // The item took a view of its own: its button goes.
        found->second->removeFromSuperview();
        buttons_.erase(found);
    }
    setNeedsLayout();
}

std::shared_ptr<UIView> SJEdgeControlButtonItemAdapter::viewForItemWithTag(SJEdgeControlButtonItemTag tag) {
    layoutIfNeeded();
    auto item = itemForTag(tag);
    if (!item || !item->isVisible()) {
        return nullptr;
    }
    if (item->customView()) {
        return item->customView();
    }
    auto found = buttons_.find(item.get());
    return found != buttons_.end() ? found->second : nullptr;
}

void SJEdgeControlButtonItemAdapter::adopt(const std::shared_ptr<SJEdgeControlButtonItem>& item) {
    if (auto previous = item->adapter_.lock(); previous && previous.get() != this) {
        const auto& held = previous->items_;
        previous->removeItemAtIndex(
            static_cast<size_t>(std::find(held.begin(), held.end(), item) - held.begin()));
    }
    item->adapter_ = std::static_pointer_cast<SJEdgeControlButtonItemAdapter>(sharedView());
}

void SJEdgeControlButtonItemAdapter::release(const std::shared_ptr<SJEdgeControlButtonItem>& item) {
    item->adapter_.reset();
    if (item->customView() && item->customView()->superview().get() == this) {
        item->customView()->removeFromSuperview();
    }
    if (auto found = buttons_.find(item.get()); found != buttons_.end()) {
        found->second->removeFromSuperview();
        buttons_.erase(found);
    }
}

std::shared_ptr<UIView>
SJEdgeControlButtonItemAdapter::viewFor(const std::shared_ptr<SJEdgeControlButtonItem>& item) {
    if (item->customView()) {
        return item->customView();
    }
    auto& button = buttons_[item.get()];
    if (!button) {
        button = std::make_shared<UIButton>();
        std::weak_ptr<SJEdgeControlButtonItem> weakItem = item;
        button->addTarget(
            [weakItem](UIControl&) {
                if (auto tapped = weakItem.lock()) {
                    tapped->performActions();
                }
            },
            UIControlEventTouchUpInside);
    }
    button->setImage(item->image(), UIControlStateNormal);
    button->setAttributedTitle(item->title(), UIControlStateNormal);
    button->setContentEdgeInsets(item->title() ? UIEdgeInsets{0, kTitlePadding, 0, kTitlePadding}
                                               : UIEdgeInsets{});
    return button;
}

CGSize SJEdgeControlButtonItemAdapter::measure(const SJEdgeControlButtonItem& item, UIView& view) const {
    const bool horizontal = layout_ != SJAdapterItemsLayout::Vertical;
    if (item.customView()) {
        CGSize size = view.frame().size;
        if (size.width <= 0 || size.height <= 0) {
            const CGSize fitting = view.sizeThatFits({CGFLOAT_MAX, CGFLOAT_MAX});
            size = {size.width > 0 ? size.width : fitting.width,
                    size.height > 0 ? size.height : fitting.height};
        }
        if (horizontal && size.height <= 0) {
            size.height = thickness_;
        }
        if (!horizontal && size.width <= 0) {
            size.width = thickness_;
        }
        return size;
    }
    const CGSize fitting = view.sizeThatFits({CGFLOAT_MAX, CGFLOAT_MAX});
    CGFloat length = item.size() > 0 ? item.size()
                                     : (item.title() ? std::ceil(horizontal ? fitting.width : fitting.height)
                                                     : thickness_);
    if (layout_ == SJAdapterItemsLayout::Centered) {
        return {std::max(length, fitting.width), std::max(thickness_, fitting.height)};
    }
    return horizontal ? CGSize{length, thickness_} : CGSize{thickness_, length};
}

void SJEdgeControlButtonItemAdapter::layoutSubviews() {
    UIView::layoutSubviews();
    std::vector<Placed> placed;
    for (const auto& item : items_) {
        if (!item->isVisible()) {
            if (auto view = item->customView(); view && view->superview().get() == this) {
                view->removeFromSuperview();
            }
            if (auto found = buttons_.find(item.get()); found != buttons_.end()) {
                found->second->removeFromSuperview();
            }
            continue;
        }
        auto view = viewFor(item);
        placed.push_back({item, view, measure(*item, *view)});
    }
    // Item views go in item order, so that later items lie above earlier ones.
    for (const Placed& entry : placed) {
        if (entry.view->superview().get() == this) {
            bringSubviewToFront(entry.view);
        } else {
            addSubview(entry.view);
        }
        entry.view->setAlpha(entry.item->alpha());
    }
    place(placed);
}

void SJEdgeControlButtonItemAdapter::place(std::vector<Placed>& placed) {
    const CGSize bounds = this->bounds().size;
    const bool horizontal = layout_ != SJAdapterItemsLayout::Vertical;
    const CGFloat available = (horizontal ? bounds.width : bounds.height) - 2 * padding_;
    CGFloat fixed = 0;
    size_t filling = 0;
    for (const Placed& entry : placed) {
        const SJEdgeInsets insets = entry.item->insets();
        fixed += insets.front + insets.rear;
        if (entry.item->fill()) {
            ++filling;
        } else {
            fixed += horizontal ? entry.size.width : entry.size.height;
        }
    }
    const CGFloat share =
        filling > 0 ? std::max<CGFloat>(0, (available - fixed) / static_cast<CGFloat>(filling)) : 0;
    CGFloat position = padding_;
    if (layout_ == SJAdapterItemsLayout::Centered) {
        position = std::max<CGFloat>(0, (bounds.width - fixed - share * static_cast<CGFloat>(filling)) / 2);
    }
    for (Placed& entry : placed) {
        const SJEdgeInsets insets = entry.item->insets();
        position += insets.front;
        CGRect frame;
        if (horizontal) {
            const CGFloat width = entry.item->fill() ? share : entry.size.width;
            const CGFloat height =
                entry.item->fill() && !entry.item->customView() ? thickness_ : entry.size.height;
            frame = {{position, (bounds.height - height) / 2}, {width, height}};
            position += width;
        } else {
            const CGFloat height = entry.item->fill() ? share : entry.size.height;
            frame = {{(bounds.width - entry.size.width) / 2, position}, {entry.size.width, height}};
            position += height;
        }
        position += insets.rear;
        entry.view->setFrame(frame);
    }
}

std::shared_ptr<UIView> SJEdgeControlButtonItemAdapter::hitTest(CGPoint point, UIEvent* event) {
    auto hit = UIView::hitTest(point, event);
    return hit.get() == this ? nullptr : hit;
}
