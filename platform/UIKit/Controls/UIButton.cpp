#include "platform/UIKit/Controls/UIButton.h"

#include "platform/UIKit/UIScreen.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDimmedAlpha = 0.5;
constexpr double kDisabledAlpha = 0.4;

CGFloat ceilToPixels(CGFloat value) {
    const double scale = UIScreen::mainScreen().scale();
    return std::ceil(value * scale - 1e-6) / scale;
}

CGFloat roundToPixels(CGFloat value) {
    const double scale = UIScreen::mainScreen().scale();
    return std::round(value * scale) / scale;
}

} // namespace

template <class T> const T* UIButton::PerState<T>::lookup(UIControlState state) const {
    auto find = [&](UIControlState key) -> const T* {
        const auto found = values.find(key);
        return found != values.end() ? &found->second : nullptr;
    };
    if (const T* exact = find(state)) {
        return exact;
    }
    for (UIControlState single :
         {UIControlStateSelected, UIControlStateHighlighted, UIControlStateDisabled}) {
        if ((state & single) != 0) {
            if (const T* value = find(single)) {
                return value;
            }
        }
    }
    return find(UIControlStateNormal);
}

UIButton::UIButton(const CGRect& frame, UIButtonType type)
    : UIControl(frame), type_(type), titleLabel_(std::make_shared<UILabel>()),
      imageView_(std::make_shared<UIImageView>()) {
    titleLabel_->setFont(UIFont::systemFontOfSize(15));
    titleLabel_->setLineBreakMode(NSLineBreakMode::byTruncatingMiddle);
    titleLabel_->setHidden(true);
    imageView_->setUserInteractionEnabled(false);
    imageView_->setContentMode(UIViewContentMode::scaleAspectFit);
    imageView_->setHidden(true);
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
    return std::make_shared<UIButton>(CGRectZero, type);
}

UIButton::~UIButton() = default;

void UIButton::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    if (backgroundImageView_) {
        insertSubview(backgroundImageView_, 0);
    }
    addSubview(imageView_);
    addSubview(titleLabel_);
    updateShownContent();
}

void UIButton::didMoveToSuperview() {
    UIControl::didMoveToSuperview();
    attachParts();
}

const std::shared_ptr<UILabel>& UIButton::titleLabel() {
    attachParts();
    return titleLabel_;
}

const std::shared_ptr<UIImageView>& UIButton::imageView() {
    attachParts();
    return imageView_;
}

// ---- Values per state ------------------------------------------------------------------------

void UIButton::setTitle(std::optional<std::string> title, UIControlState state) {
    if (title) {
        titles_.values[state] = *title;
    } else {
        titles_.values.erase(state);
    }
    contentChanged();
}

std::optional<std::string> UIButton::titleForState(UIControlState state) const {
    const std::string* title = titles_.lookup(state);
    return title ? std::optional<std::string>(*title) : std::nullopt;
}

void UIButton::setAttributedTitle(std::optional<NSAttributedString> title, UIControlState state) {
    if (title) {
        attributedTitles_.values[state] = *title;
    } else {
        attributedTitles_.values.erase(state);
    }
    contentChanged();
}

std::optional<NSAttributedString> UIButton::attributedTitleForState(UIControlState state) const {
    const NSAttributedString* title = attributedTitles_.lookup(state);
    return title ? std::optional<NSAttributedString>(*title) : std::nullopt;
}

void UIButton::setTitleColor(std::optional<UIColor> color, UIControlState state) {
    if (color) {
        titleColors_.values[state] = *color;
    } else {
        titleColors_.values.erase(state);
    }
    updateShownContent();
}

std::optional<UIColor> UIButton::titleColorForState(UIControlState state) const {
    const UIColor* color = titleColors_.lookup(state);
    return color ? std::optional<UIColor>(*color) : std::nullopt;
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state) {
    if (image) {
        images_.values[state] = std::move(image);
    } else {
        images_.values.erase(state);
    }
    contentChanged();
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const {
    const auto* image = images_.lookup(state);
    return image ? *image : nullptr;
}

void UIButton::setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state) {
    if (image) {
        backgroundImages_.values[state] = std::move(image);
    } else {
        backgroundImages_.values.erase(state);
    }
    if (!backgroundImageView_ && !backgroundImages_.values.empty()) {
        backgroundImageView_ = std::make_shared<UIImageView>();
        backgroundImageView_->setUserInteractionEnabled(false);
        if (partsAttached_) {
            insertSubview(backgroundImageView_, 0);
        }
    }
    contentChanged();
}

std::shared_ptr<UIImage> UIButton::backgroundImageForState(UIControlState state) const {
    const auto* image = backgroundImages_.lookup(state);
    return image ? *image : nullptr;
}

UIColor UIButton::currentTitleColor() const {
    if (auto color = titleColorForState(state())) {
        return *color;
    }
    return type_ == UIButtonType::system ? tintColor() : UIColor::whiteColor();
}

void UIButton::setContentEdgeInsets(const UIEdgeInsets& insets) {
    if (contentEdgeInsets_ == insets) {
        return;
    }
    contentEdgeInsets_ = insets;
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

void UIButton::setImageArrangement(ImagePosition position, CGFloat spacing) {
    if (imagePosition_ == position && imageTitleSpacing_ == spacing) {
        return;
    }
    imagePosition_ = position;
    imageTitleSpacing_ = spacing;
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

void UIButton::stateDidChange() {
    updateShownContent();
}

void UIButton::tintColorDidChange() {
    UIControl::tintColorDidChange();
    updateShownContent();
}

void UIButton::contentChanged() {
    updateShownContent();
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

void UIButton::updateShownContent() {
    const UIControlState now = state();
    if (auto attributed = attributedTitleForState(now)) {
        titleLabel_->setAttributedText(*attributed);
    } else {
        titleLabel_->setAttributedText(std::nullopt);
        titleLabel_->setText(titleForState(now).value_or(""));
    }
    titleLabel_->setTextColor(currentTitleColor());
    titleLabel_->setHidden(titleLabel_->text().empty());
    auto image = currentImage();
    imageView_->setImage(image);
    imageView_->setHidden(!image);
    if (backgroundImageView_) {
        backgroundImageView_->setImage(backgroundImageForState(now));
    }
    // A state without a look of its own shows the normal look, dimmed.
    const bool highlighted = (now & UIControlStateHighlighted) != 0;
    const bool disabled = (now & UIControlStateDisabled) != 0;
    double alpha = 1;
    if (highlighted && adjustsImageWhenHighlighted && !titleColors_.values.count(UIControlStateHighlighted) &&
        !images_.values.count(UIControlStateHighlighted)) {
        alpha = kDimmedAlpha;
    }
    if (disabled && adjustsImageWhenDisabled && !titleColors_.values.count(UIControlStateDisabled) &&
        !images_.values.count(UIControlStateDisabled)) {
        alpha = kDisabledAlpha;
    }
    imageView_->setAlpha(alpha);
    titleLabel_->setAlpha(alpha);
}

// ---- Sizes and layout ----------------------------------------------------------------------------

CGSize UIButton::titleSize() const {
    if (titleLabel_->text().empty()) {
        return CGSizeZero;
    }
    return titleLabel_->sizeThatFits({0, 0});
}

CGSize UIButton::imageSize() const {
    auto image = currentImage();
    return image ? image->size() : CGSizeZero;
}

CGSize UIButton::contentSize() const {
    const CGSize title = titleSize();
    const CGSize image = imageSize();
    const bool both = title.width > 0 && image.width > 0;
    const CGFloat spacing = both ? imageTitleSpacing_ : 0;
    if (imagePosition_ == ImagePosition::top || imagePosition_ == ImagePosition::bottom) {
        return {std::max(title.width, image.width), title.height + spacing + image.height};
    }
    return {title.width + spacing + image.width, std::max(title.height, image.height)};
}

CGSize UIButton::intrinsicContentSize() const {
    const CGSize content = contentSize();
    reportedIntrinsicSize_ = {
        ceilToPixels(content.width + contentEdgeInsets_.left + contentEdgeInsets_.right),
        ceilToPixels(content.height + contentEdgeInsets_.top + contentEdgeInsets_.bottom)};
    return reportedIntrinsicSize_;
}

CGSize UIButton::sizeThatFits(CGSize) const {
    return intrinsicContentSize();
}

void UIButton::layoutSubviews() {
    attachParts();
    UIControl::layoutSubviews();
    // The title label's font may have changed behind the button's back.
    const CGSize reported = reportedIntrinsicSize_;
    if (intrinsicContentSize() != reported) {
        invalidateIntrinsicContentSize();
    }
    const CGRect bounds = this->bounds();
    if (backgroundImageView_) {
        backgroundImageView_->setFrame(bounds);
    }
    const CGRect box = UIEdgeInsetsInsetRect(bounds, contentEdgeInsets_);
    CGSize title = titleSize();
    const CGSize image = imageSize();
    const bool both = title.width > 0 && image.width > 0;
    const CGFloat spacing = both ? imageTitleSpacing_ : 0;
    const bool stacked = imagePosition_ == ImagePosition::top || imagePosition_ == ImagePosition::bottom;
    // The title gives way when the content does not fit.
    if (stacked) {
        title.width = std::min(title.width, std::max<CGFloat>(0, box.size.width));
    } else {
        title.width = std::min(title.width, std::max<CGFloat>(0, box.size.width - image.width - spacing));
    }
    const CGSize content =
        stacked ? CGSizeMake(std::max(title.width, image.width), title.height + spacing + image.height)
                : CGSizeMake(title.width + spacing + image.width, std::max(title.height, image.height));
    const bool fillsWidth = contentHorizontalAlignment == UIControlContentHorizontalAlignment::fill;
    const bool fillsHeight = contentVerticalAlignment == UIControlContentVerticalAlignment::fill;
    auto place = [](CGFloat start, CGFloat available, CGFloat length, int alignment) {
        switch (alignment) {
        case -1:
            return start;
        case 1:
            return start + available - length;
        default:
            return start + (available - length) / 2;
        }
    };
    int horizontal = 0;
    switch (contentHorizontalAlignment) {
    case UIControlContentHorizontalAlignment::left:
    case UIControlContentHorizontalAlignment::leading:
    case UIControlContentHorizontalAlignment::fill:
        horizontal = -1;
        break;
    case UIControlContentHorizontalAlignment::right:
    case UIControlContentHorizontalAlignment::trailing:
        horizontal = 1;
        break;
    case UIControlContentHorizontalAlignment::center:
        break;
    }
    int vertical = 0;
    switch (contentVerticalAlignment) {
    case UIControlContentVerticalAlignment::top:
    case UIControlContentVerticalAlignment::fill:
        vertical = -1;
        break;
    case UIControlContentVerticalAlignment::bottom:
        vertical = 1;
        break;
    case UIControlContentVerticalAlignment::center:
        break;
    }
    const CGFloat contentX =
        place(box.origin.x, box.size.width, fillsWidth ? box.size.width : content.width, horizontal);
    const CGFloat contentY =
        place(box.origin.y, box.size.height, fillsHeight ? box.size.height : content.height, vertical);
    const CGSize area{fillsWidth ? box.size.width : content.width,
                      fillsHeight ? box.size.height : content.height};

    CGRect imageFrame{{0, 0}, image};
    CGRect titleFrame{{0, 0}, title};
    if (stacked) {
        const bool imageFirst = imagePosition_ == ImagePosition::top;
        const CGFloat firstHeight = imageFirst ? image.height : title.height;
        CGRect& first = imageFirst ? imageFrame : titleFrame;
        CGRect& second = imageFirst ? titleFrame : imageFrame;
        first.origin.y = contentY;
        second.origin.y = contentY + firstHeight + spacing;
        imageFrame.origin.x = place(contentX, area.width, image.width, horizontal);
        titleFrame.origin.x = place(contentX, area.width, title.width, horizontal);
    } else {
        const bool imageFirst = imagePosition_ == ImagePosition::left;
        const CGFloat firstWidth = imageFirst ? image.width : title.width;
        CGRect& first = imageFirst ? imageFrame : titleFrame;
        CGRect& second = imageFirst ? titleFrame : imageFrame;
        first.origin.x = contentX;
        second.origin.x = contentX + firstWidth + spacing;
        imageFrame.origin.y = place(contentY, area.height, image.height, vertical);
        titleFrame.origin.y = place(contentY, area.height, title.height, vertical);
    }
    auto snapped = [](const CGRect& r) {
        return CGRect{{roundToPixels(r.origin.x), roundToPixels(r.origin.y)}, r.size};
    };
    imageView_->setFrame(snapped(imageFrame));
    titleLabel_->setFrame(snapped(titleFrame));
}
