#pragma once

#include "platform/UIKit/UIFont.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A size the segmented view works out itself.
inline constexpr CGFloat JXSegmentedViewAutomaticDimension = -1;

// What a segmented view shows: how many items, how wide, and the view of each item in
// its state between normal (0) and selected (1).
class JXSegmentedViewDataSource {
  public:
    virtual ~JXSegmentedViewDataSource() = default;
    virtual long numberOfItems() const = 0;
    // The width of an item's content (its title), and of the item itself.
    virtual CGFloat contentWidthForItemAt(long index) const = 0;
    virtual CGFloat widthForItemAt(long index) const = 0;
    virtual CGFloat itemSpacingValue() const = 0;
    // Whether items spread out evenly when they do not fill the view.
    virtual bool itemSpacingAverageEnabled() const = 0;
    virtual std::shared_ptr<UIView> makeItemView(long index) = 0;
    // Shows the item as `selectedShare` (0: normal, 1: selected) of the way to selected.
    virtual void configureItemView(UIView& view, long index, CGFloat selectedShare) = 0;
};

// Items that are titles: one colour and font when normal, another when selected, the
// colour passing smoothly from one to the other while the pages are swiped when the
// gradient is on.
class JXSegmentedTitleDataSource : public JXSegmentedViewDataSource {
  public:
    std::vector<std::string> titles;
    UIColor titleNormalColor = UIColor::blackColor();
    UIColor titleSelectedColor = UIColor::redColor();
    UIFont titleNormalFont = UIFont::systemFontOfSize(15);
    // Nothing: the normal font.
    std::optional<UIFont> titleSelectedFont;
    bool isTitleColorGradientEnabled = false;
    CGFloat itemSpacing = 20;
    bool isItemSpacingAverageEnabled = true;
    // A fixed item width, or JXSegmentedViewAutomaticDimension for the title's.
    CGFloat itemWidth = JXSegmentedViewAutomaticDimension;
    CGFloat itemWidthIncrement = 0;

    long numberOfItems() const override { return static_cast<long>(titles.size()); }
    CGFloat contentWidthForItemAt(long index) const override;
    CGFloat widthForItemAt(long index) const override;
    CGFloat itemSpacingValue() const override { return itemSpacing; }
    bool itemSpacingAverageEnabled() const override { return isItemSpacingAverageEnabled; }
    std::shared_ptr<UIView> makeItemView(long index) override;
    void configureItemView(UIView& view, long index, CGFloat selectedShare) override;
};
