#include "platform/UIKit/Controllers/UIBarButtonControl.h"

#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"

#include <algorithm>

namespace {

constexpr CGFloat kImageTitleSpacing = 4;
constexpr CGFloat kHorizontalPadding = 8;
constexpr double kHighlightedAlpha = 0.2;
constexpr double kDisabledAlpha = 0.35;

} // namespace

UIBarButtonControl::UIBarButtonControl()
    : imageView_(std::make_shared<UIImageView>()), titleLabel_(std::make_shared<UILabel>()) {
    imageView_->setContentMode(UIViewContentMode::scaleAspectFit);
    imageView_->setHidden(true);
    titleLabel_->setFont(UIFont::systemFontOfSize(17));
    titleLabel_->setHidden(true);
    titleLabel_->setUserInteractionEnabled(false);
    updateColors();
}

void UIBarButtonControl::attachContent() {
    if (contentAttached_ || weak_from_this().expired()) {
        return;
    }
    contentAttached_ = true;
    addSubview(imageView_);
    addSubview(titleLabel_);
}

void UIBarButtonControl::didMoveToSuperview() {
    UIControl::didMoveToSuperview();
    attachContent();
}

void UIBarButtonControl::setTitle(const std::string& title) {
    if (titleLabel_->text() == title) {
        return;
    }
    titleLabel_->setText(title);
    titleLabel_->setHidden(title.empty());
    setAccessibilityLabel(title);
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

const std::string& UIBarButtonControl::title() const {
    return titleLabel_->text();
}

void UIBarButtonControl::setImage(std::shared_ptr<UIImage> image) {
    if (image && image->renderingMode() == UIImageRenderingMode::automatic) {
        image = image->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate);
    }
    imageView_->setImage(image);
    imageView_->setHidden(image == nullptr);
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

void UIBarButtonControl::setFont(const UIFont& font) {
    if (titleLabel_->font() == font) {
        return;
    }
    titleLabel_->setFont(font);
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

void UIBarButtonControl::setMaximumImageSize(CGSize size) {
    if (maximumImageSize_ == size) {
        return;
    }
    maximumImageSize_ = size;
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

CGSize UIBarButtonControl::imageSize() const {
    const auto& image = imageView_->image();
    if (!image) {
        return CGSizeZero;
    }
    const CGSize natural = image->size();
    if (natural.width <= 0 || natural.height <= 0) {
        return CGSizeZero;
    }
    const double scale =
        std::min({1.0, maximumImageSize_.width / natural.width, maximumImageSize_.height / natural.height});
    return {natural.width * scale, natural.height * scale};
}

CGSize UIBarButtonControl::intrinsicContentSize() const {
    const CGSize image = imageSize();
    const CGSize title = titleLabel_->text().empty() ? CGSizeZero : titleLabel_->intrinsicContentSize();
    const CGFloat spacing = image.width > 0 && title.width > 0 ? kImageTitleSpacing : 0;
    return {image.width + spacing + title.width + 2 * kHorizontalPadding, 44};
}

CGSize UIBarButtonControl::sizeThatFits(CGSize) const {
    return intrinsicContentSize();
}

void UIBarButtonControl::layoutSubviews() {
    attachContent();
    UIControl::layoutSubviews();
    const CGRect bounds = this->bounds();
    const CGSize image = imageSize();
    CGFloat x = kHorizontalPadding;
    imageView_->setFrame({{x, (bounds.height() - image.height) / 2}, image});
    if (image.width > 0) {
        x += image.width + kImageTitleSpacing;
    }
    const CGSize title = titleLabel_->intrinsicContentSize();
    const CGFloat width = std::max(0.0, std::min(title.width, bounds.width() - x - kHorizontalPadding));
    titleLabel_->setFrame({{x, (bounds.height() - title.height) / 2}, {width, title.height}});
}

void UIBarButtonControl::stateDidChange() {
    updateColors();
}

void UIBarButtonControl::tintColorDidChange() {
    updateColors();
}

void UIBarButtonControl::updateColors() {
    titleLabel_->setTextColor(tintColor());
    double alpha = 1;
    if (!isEnabled()) {
        alpha = kDisabledAlpha;
    } else if (isHighlighted()) {
        alpha = kHighlightedAlpha;
    }
    titleLabel_->setAlpha(alpha);
    imageView_->setAlpha(alpha);
}
