#pragma once

#include "platform/SJVideoPlayer/SJEdgeControlButtonItem.h"
#include "platform/UIKit/Controls/UIButton.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

// How a bar lines up its items.
enum class SJAdapterItemsLayout {
    Horizontal, // left to right, centred vertically (top and bottom bars)
    Vertical,   // top to bottom, centred horizontally (left and right bars)
    Centered,   // a row in the middle of the bar (the centre)
};

// A bar of the edge control layer: holds its items in order, finds them by tag and shows
// the visible ones. Items with a view of their own show that view at its own size (its
// frame, or the size it fits); image and title items show as buttons that run the item's
// actions. Filling items share the room the others leave. Adding, inserting, removing
// and exchanging items lays the bar out again; `reload` does so at once. Touches that
// miss every item pass through the bar.
class SJEdgeControlButtonItemAdapter : public UIView {
  public:
    // `thickness`: the size of the bar across its items (an image item is that square).
    explicit SJEdgeControlButtonItemAdapter(SJAdapterItemsLayout layout, CGFloat thickness = 49);
    ~SJEdgeControlButtonItemAdapter() override;

    SJAdapterItemsLayout itemsLayout() const { return layout_; }
    CGFloat thickness() const { return thickness_; }
    // Room at the two ends of the bar.
    CGFloat contentPadding() const { return padding_; }
    void setContentPadding(CGFloat padding);

    const std::vector<std::shared_ptr<SJEdgeControlButtonItem>>& items() const { return items_; }
    size_t numberOfItems() const { return items_.size(); }
    std::shared_ptr<SJEdgeControlButtonItem> itemAtIndex(size_t index) const;
    // The first item with the tag, if any.
    std::shared_ptr<SJEdgeControlButtonItem> itemForTag(SJEdgeControlButtonItemTag tag) const;
    std::optional<size_t> indexOfItemForTag(SJEdgeControlButtonItemTag tag) const;
    bool containsItem(const std::shared_ptr<SJEdgeControlButtonItem>& item) const;

    void addItem(const std::shared_ptr<SJEdgeControlButtonItem>& item);
    void addItemsFromArray(const std::vector<std::shared_ptr<SJEdgeControlButtonItem>>& items);
    // At `index` (clamped to the end).
    void insertItem(const std::shared_ptr<SJEdgeControlButtonItem>& item, size_t index);
    // Nothing when no item has the tag.
    void removeItemForTag(SJEdgeControlButtonItemTag tag);
    void removeItemAtIndex(size_t index);
    void removeAllItems();
    // Swaps the places of the two items; nothing unless both are present.
    void exchangeItemForTag(SJEdgeControlButtonItemTag tag, SJEdgeControlButtonItemTag otherTag);
    void exchangeItemAtIndex(size_t index, size_t otherIndex);
    // Shows the items as they are now.
    void reload();
    void updateContentForItemWithTag(SJEdgeControlButtonItemTag tag);

    // The view showing the item with the tag (its own view or its button), after laying the
    // bar out; null when the item is absent or not visible.
    std::shared_ptr<UIView> viewForItemWithTag(SJEdgeControlButtonItemTag tag);

    void layoutSubviews() override;
    std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event) override;

    // From an item of this bar.
    void itemDidChange(SJEdgeControlButtonItem& item);

  private:
    struct Placed {
        std::shared_ptr<SJEdgeControlButtonItem> item;
        std::shared_ptr<UIView> view;
        CGSize size;
    };
    void adopt(const std::shared_ptr<SJEdgeControlButtonItem>& item);
    void release(const std::shared_ptr<SJEdgeControlButtonItem>& item);
    std::shared_ptr<UIView> viewFor(const std::shared_ptr<SJEdgeControlButtonItem>& item);
    CGSize measure(const SJEdgeControlButtonItem& item, UIView& view) const;
    void place(std::vector<Placed>& placed);

    SJAdapterItemsLayout layout_;
    CGFloat thickness_;
    CGFloat padding_ = 8;
    std::vector<std::shared_ptr<SJEdgeControlButtonItem>> items_;
    // The buttons made for image and title items.
    std::map<const SJEdgeControlButtonItem*, std::shared_ptr<UIButton>> buttons_;
};
