#include "platform/UIKit/Controls/UITableViewCell.h"

#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/UIKit/Controls/CellPartView.h"
#include "platform/UIKit/Controls/LayoutFitting.h"
#include "platform/UIKit/UIScreen.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kMargin = 16;
constexpr CGFloat kAccessoryWidth = 36;
constexpr CGFloat kDefaultRowHeight = 44;

UIColor selectedBackgroundColor() {
    return UIColor::colorWithWhite(0.82, 1);
}

CGPath chevronPath() {
    CGPath path;
    path.move({0, 0});
    path.addLine({6.5, 6.5});
    path.addLine({0, 13});
    return path;
}

CGPath checkmarkPath() {
    CGPath path;
    path.move({0, 6});
    path.addLine({4.5, 11});
    path.addLine({13, 1});
    return path;
}

} // namespace

UITableViewCell::UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : style_(style), reuseIdentifier_(std::move(reuseIdentifier)), contentView_(std::make_shared<UIView>()) {
    setBackgroundColor(UIColor::whiteColor());
    separator_ = CALayer::layer();
    separator_->setHidden(true);
    separator_->setBackgroundColor(UIColor::colorWithWhite(0.78, 1));
    layer()->addSublayer(separator_);
}

UITableViewCell::~UITableViewCell() = default;

void UITableViewCell::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    if (backgroundView_) {
        insertSubview(backgroundView_, 0);
    }
    if (selectedBackgroundView_) {
        insertSubview(selectedBackgroundView_, backgroundView_ ? 1 : 0);
    }
    addSubview(contentView_);
    if (accessoryView_) {
        addSubview(accessoryView_);
    }
}

void UITableViewCell::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachParts();
}

void UITableViewCell::prepareForReuse() {
    setHighlighted(false, false);
}

const std::shared_ptr<UIView>& UITableViewCell::contentView() {
    attachParts();
    return contentView_;
}

const std::shared_ptr<UILabel>& UITableViewCell::textLabel() {
    if (!textLabel_) {
        textLabel_ = std::make_shared<UILabel>();
        textLabel_->setFont(UIFont::systemFontOfSize(17));
        contentView_->addSubview(textLabel_);
        setNeedsLayout();
    }
    return textLabel_;
}

const std::shared_ptr<UILabel>& UITableViewCell::detailTextLabel() {
    if (!detailTextLabel_) {
        detailTextLabel_ = std::make_shared<UILabel>();
        const bool small = style_ == UITableViewCellStyle::subtitle;
        detailTextLabel_->setFont(UIFont::systemFontOfSize(small ? 12 : 17));
        detailTextLabel_->setTextColor(UIColor::colorWithRed(0.56, 0.56, 0.58, 1));
        if (style_ == UITableViewCellStyle::value1) {
            detailTextLabel_->setTextAlignment(NSTextAlignment::right);
        }
        contentView_->addSubview(detailTextLabel_);
        setNeedsLayout();
    }
    return detailTextLabel_;
}

const std::shared_ptr<UIImageView>& UITableViewCell::imageView() {
    if (!imageView_) {
        imageView_ = std::make_shared<UIImageView>();
        imageView_->setContentMode(UIViewContentMode::center);
        contentView_->addSubview(imageView_);
        setNeedsLayout();
    }
    return imageView_;
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type) {
    if (accessoryType_ == type) {
        return;
    }
    accessoryType_ = type;
    if (type == UITableViewCellAccessoryType::none) {
        if (accessoryMark_) {
            accessoryMark_->removeFromSuperlayer();
            accessoryMark_.reset();
        }
    } else {
        if (!accessoryMark_) {
            accessoryMark_ = CAShapeLayer::layer();
            accessoryMark_->setFillColor(std::nullopt);
            accessoryMark_->setLineWidth(2);
            accessoryMark_->setLineCap(kCALineCapRound);
            accessoryMark_->setLineJoin(kCALineJoinRound);
            layer()->addSublayer(accessoryMark_);
        }
        const bool check = type == UITableViewCellAccessoryType::checkmark;
        accessoryMark_->setPath(check ? checkmarkPath() : chevronPath());
        accessoryMark_->setStrokeColor(check ? tintColor() : UIColor::colorWithWhite(0.77, 1));
    }
    setNeedsLayout();
}

void UITableViewCell::setAccessoryView(std::shared_ptr<UIView> view) {
    if (!replaceCellPartView(accessoryView_, std::move(view))) {
        return;
    }
    if (accessoryView_ && partsAttached_) {
        addSubview(accessoryView_);
    }
    setNeedsLayout();
}

void UITableViewCell::setSelectionStyle(UITableViewCellSelectionStyle style) {
    selectionStyle_ = style;
    updateSelectionLook();
}

void UITableViewCell::setBackgroundView(std::shared_ptr<UIView> view) {
    if (!replaceCellPartView(backgroundView_, std::move(view))) {
        return;
    }
    if (backgroundView_ && partsAttached_) {
        insertSubview(backgroundView_, 0);
    }
    setNeedsLayout();
}

const std::shared_ptr<UIView>& UITableViewCell::selectedBackgroundView() {
    if (!selectedBackgroundView_) {
        auto view = std::make_shared<UIView>();
        view->setBackgroundColor(selectedBackgroundColor());
        setSelectedBackgroundView(std::move(view));
    }
    return selectedBackgroundView_;
}

void UITableViewCell::setSelectedBackgroundView(std::shared_ptr<UIView> view) {
    if (!replaceCellPartView(selectedBackgroundView_, std::move(view))) {
        return;
    }
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setHidden(true);
        if (partsAttached_) {
            insertSubview(selectedBackgroundView_, backgroundView_ ? 1 : 0);
        }
    }
    updateSelectionLook();
    setNeedsLayout();
}

void UITableViewCell::setSelected(bool selected, bool) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    updateSelectionLook();
}

void UITableViewCell::setHighlighted(bool highlighted, bool) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    updateSelectionLook();
}

void UITableViewCell::updateSelectionLook() {
    const bool showSelected =
        (selected_ || highlighted_) && selectionStyle_ != UITableViewCellSelectionStyle::none;
    if (showSelected) {
        selectedBackgroundView()->setHidden(false);
    } else if (selectedBackgroundView_) {
        selectedBackgroundView_->setHidden(true);
    }
}

void UITableViewCell::setSeparator(bool visible, const UIEdgeInsets& insets, const UIColor& color) {
    separatorVisible_ = visible;
    separatorInsets_ = insets;
    separator_->setHidden(!visible);
    separator_->setBackgroundColor(color);
    setNeedsLayout();
}

CGFloat UITableViewCell::accessoryWidth() const {
    if (accessoryView_) {
        return accessoryView_->frame().size.width + kMargin + 8;
    }
    return accessoryType_ == UITableViewCellAccessoryType::none ? 0 : kAccessoryWidth;
}

CGSize UITableViewCell::sizeThatFits(CGSize size) const {
    return {size.width, kDefaultRowHeight};
}

CGFloat UITableViewCell::fittingHeightForWidth(CGFloat width) {
    attachParts();
    const auto height =
        constrainedHeightForWidth(*contentView_, std::max<CGFloat>(0, width - accessoryWidth()));
    return height ? std::ceil(*height) : sizeThatFits({width, 0}).height;
}

void UITableViewCell::layoutSubviews() {
    attachParts();
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    if (backgroundView_) {
        backgroundView_->setFrame(bounds);
    }
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setFrame(bounds);
    }
    const CGFloat accessory = accessoryWidth();
    contentView_->setFrame(
        {{0, 0}, {std::max<CGFloat>(0, bounds.size.width - accessory), bounds.size.height}});
    if (accessoryView_) {
        const CGSize size = accessoryView_->frame().size;
        accessoryView_->setFrame(
            {{bounds.size.width - kMargin - size.width, (bounds.size.height - size.height) / 2}, size});
    }
    if (accessoryMark_) {
        const CGRect box = accessoryMark_->path() ? accessoryMark_->path()->boundingBox() : CGRectZero;
        accessoryMark_->setFrame({{bounds.size.width - kMargin - box.size.width,
                                   std::round((bounds.size.height - box.size.height) / 2)},
                                  box.size});
    }
    const double pixel = 1.0 / UIScreen::mainScreen().scale();
    separator_->setFrame(
        {{separatorInsets_.left, bounds.size.height - pixel},
         {std::max<CGFloat>(0, bounds.size.width - separatorInsets_.left - separatorInsets_.right), pixel}});

    // The standard parts, by style.
    const CGSize content = contentView_->bounds().size;
    CGFloat x = kMargin;
    if (imageView_ && imageView_->image()) {
        const CGSize imageSize = imageView_->image()->size();
        const CGFloat height = std::min(imageSize.height, content.height);
        imageView_->setFrame({{kMargin, (content.height - height) / 2}, {imageSize.width, height}});
        x += imageSize.width + kMargin;
    } else if (imageView_) {
        imageView_->setFrame(CGRectZero);
    }
    const CGFloat available = std::max<CGFloat>(0, content.width - x - kMargin);
    const bool hasDetail = detailTextLabel_ && !detailTextLabel_->text().empty();
    switch (style_) {
    case UITableViewCellStyle::subtitle:
        if (textLabel_ || detailTextLabel_) {
            const CGFloat top = textLabel_ ? textLabel_->sizeThatFits({available, 0}).height : 0;
            const CGFloat bottom = hasDetail ? detailTextLabel_->sizeThatFits({available, 0}).height : 0;
            const CGFloat start = (content.height - top - bottom - (hasDetail ? 2 : 0)) / 2;
            if (textLabel_) {
                textLabel_->setFrame({{x, start}, {available, top}});
            }
            if (detailTextLabel_) {
                detailTextLabel_->setFrame({{x, start + top + 2}, {available, bottom}});
            }
        }
        break;
    case UITableViewCellStyle::value1:
    case UITableViewCellStyle::value2: {
        const CGFloat detailWidth =
            hasDetail ? std::min(available / 2, detailTextLabel_->sizeThatFits({0, 0}).width) : 0;
        if (detailTextLabel_) {
            detailTextLabel_->setFrame(
                {{content.width - kMargin - detailWidth, 0}, {detailWidth, content.height}});
        }
        if (textLabel_) {
            textLabel_->setFrame(
                {{x, 0},
                 {std::max<CGFloat>(0, available - detailWidth - (hasDetail ? 8 : 0)), content.height}});
        }
        break;
    }
    case UITableViewCellStyle::defaultStyle:
        if (textLabel_) {
            textLabel_->setFrame({{x, 0}, {available, content.height}});
        }
        break;
    }
}

// ---- UITableViewHeaderFooterView ----------------------------------------------------------

UITableViewHeaderFooterView::UITableViewHeaderFooterView(std::string reuseIdentifier)
    : reuseIdentifier_(std::move(reuseIdentifier)), contentView_(std::make_shared<UIView>()) {}

void UITableViewHeaderFooterView::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    if (backgroundView_) {
        insertSubview(backgroundView_, 0);
    }
    addSubview(contentView_);
}

void UITableViewHeaderFooterView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachParts();
}

const std::shared_ptr<UIView>& UITableViewHeaderFooterView::contentView() {
    attachParts();
    return contentView_;
}

const std::shared_ptr<UILabel>& UITableViewHeaderFooterView::textLabel() {
    if (!textLabel_) {
        textLabel_ = std::make_shared<UILabel>();
        textLabel_->setFont(UIFont::systemFontOfSize(13));
        textLabel_->setTextColor(UIColor::colorWithRed(0.43, 0.43, 0.45, 1));
        contentView_->addSubview(textLabel_);
        setNeedsLayout();
    }
    return textLabel_;
}

void UITableViewHeaderFooterView::setBackgroundView(std::shared_ptr<UIView> view) {
    if (backgroundView_) {
        backgroundView_->removeFromSuperview();
    }
    backgroundView_ = std::move(view);
    if (backgroundView_ && partsAttached_) {
        insertSubview(backgroundView_, 0);
    }
    setNeedsLayout();
}

void UITableViewHeaderFooterView::layoutSubviews() {
    attachParts();
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    if (backgroundView_) {
        backgroundView_->setFrame(bounds);
    }
    contentView_->setFrame(bounds);
    if (textLabel_) {
        textLabel_->setFrame(
            {{kMargin, 0}, {std::max<CGFloat>(0, bounds.size.width - 2 * kMargin), bounds.size.height}});
    }
}
