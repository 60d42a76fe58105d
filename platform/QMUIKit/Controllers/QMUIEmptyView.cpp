#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"

#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"

#include <algorithm>
#include <vector>

namespace {

constexpr CGFloat kSpacing = 12;
constexpr CGFloat kSideMargin = 30;

} // namespace

QMUIEmptyView::QMUIEmptyView(const CGRect& frame)
    : UIView(frame),
      loadingView_(std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::gray)),
      imageView_(std::make_shared<UIImageView>()), textLabel_(std::make_shared<UILabel>()) {
    loadingView_->setHidesWhenStopped(false);
    loadingView_->startAnimating();
    imageView_->setContentMode(UIViewContentMode::center);
    textLabel_->setTextAlignment(NSTextAlignment::center);
    textLabel_->setNumberOfLines(0);
    textLabel_->setFont(UIFont::systemFontOfSize(15));
    textLabel_->setTextColor(UIColor::colorWithRed(93 / 255.0, 100 / 255.0, 110 / 255.0, 1));
}

QMUIEmptyView::~QMUIEmptyView() = default;

void QMUIEmptyView::attachContent() {
    if (contentAttached_ || weak_from_this().expired()) {
        return;
    }
    contentAttached_ = true;
    addSubview(loadingView_);
    addSubview(imageView_);
    addSubview(textLabel_);
}

void QMUIEmptyView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachContent();
}

void QMUIEmptyView::setLoadingViewHidden(bool hidden) {
    loadingView_->setHidden(hidden);
}

void QMUIEmptyView::subviewHiddenDidChange(UIView&) {
    setNeedsLayout();
}

void QMUIEmptyView::setImage(std::shared_ptr<UIImage> image) {
    imageView_->setImage(std::move(image));
    setNeedsLayout();
}

const std::string& QMUIEmptyView::textLabelText() const {
    return textLabel_->text();
}

void QMUIEmptyView::setTextLabelText(const std::string& text) {
    textLabel_->setText(text);
    setNeedsLayout();
}

void QMUIEmptyView::setTextLabelTextColor(const UIColor& color) {
    textLabel_->setTextColor(color);
}

void QMUIEmptyView::setTextLabelFont(const UIFont& font) {
    textLabel_->setFont(font);
    setNeedsLayout();
}

void QMUIEmptyView::setVerticalOffset(CGFloat offset) {
    if (verticalOffset_ == offset) {
        return;
    }
    verticalOffset_ = offset;
    setNeedsLayout();
}

void QMUIEmptyView::layoutSubviews() {
    attachContent();
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat width = std::max(0.0, bounds.width() - 2 * kSideMargin);

    struct Part {
        UIView* view;
        CGSize size;
    };
    std::vector<Part> parts;
    if (!loadingView_->isHidden()) {
        parts.push_back({loadingView_.get(), loadingView_->intrinsicContentSize()});
    }
    if (imageView_->image()) {
        const CGSize natural = imageView_->image()->size();
        parts.push_back({imageView_.get(), {std::min(natural.width, width), natural.height}});
    }
    if (!textLabel_->text().empty()) {
        parts.push_back({textLabel_.get(), {width, textLabel_->sizeThatFits({width, CGFLOAT_MAX}).height}});
    }
    CGFloat height = 0;
    for (const auto& part : parts) {
        height += part.size.height;
    }
    if (!parts.empty()) {
        height += kSpacing * static_cast<CGFloat>(parts.size() - 1);
    }
    CGFloat y = (bounds.height() - height) / 2 + verticalOffset_;
    for (const auto& part : parts) {
        part.view->setFrame({{(bounds.width() - part.size.width) / 2, y}, part.size});
        y += part.size.height + kSpacing;
    }
}
