#include "platform/JXSegmentedView/JXSegmentedTitleDataSource.h"

#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UILabel.h"

#include <algorithm>
#include <cmath>

CGFloat JXSegmentedTitleDataSource::contentWidthForItemAt(long index) const {
    if (index < 0 || index >= numberOfItems()) {
        return 0;
    }
    // Wide enough for the title in either font, so that selecting never cuts it.
    auto widthIn = [&](const UIFont& font) {
        NSAttributedString::Attributes style;
        style.font = font;
        return NSAttributedString(titles[index], style)
            .boundingRectWithSize({CGFLOAT_MAX, CGFLOAT_MAX}, 0)
            .size.width;
    };
    CGFloat width = widthIn(titleNormalFont);
    if (titleSelectedFont) {
        width = std::max(width, widthIn(*titleSelectedFont));
    }
    return std::ceil(width);
}

CGFloat JXSegmentedTitleDataSource::widthForItemAt(long index) const {
    const CGFloat base =
        itemWidth == JXSegmentedViewAutomaticDimension ? contentWidthForItemAt(index) : itemWidth;
    return base + itemWidthIncrement;
}

std::shared_ptr<UIView> JXSegmentedTitleDataSource::makeItemView(long) {
    auto label = std::make_shared<UILabel>();
    label->setTextAlignment(NSTextAlignment::center);
    return label;
}

void JXSegmentedTitleDataSource::configureItemView(UIView& view, long index, CGFloat selectedShare) {
    auto* label = dynamic_cast<UILabel*>(&view);
    if (label == nullptr || index < 0 || index >= numberOfItems()) {
        return;
    }
    label->setText(titles[index]);
    const bool selected = selectedShare >= 0.5;
    label->setFont(selected ? titleSelectedFont.value_or(titleNormalFont) : titleNormalFont);
    if (isTitleColorGradientEnabled) {
        label->setTextColor(UIColor::interpolate(titleNormalColor, titleSelectedColor,
                                                 std::clamp<CGFloat>(selectedShare, 0, 1)));
    } else {
        label->setTextColor(selected ? titleSelectedColor : titleNormalColor);
    }
}
