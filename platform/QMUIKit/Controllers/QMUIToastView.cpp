#include "platform/QMUIKit/Controllers/QMUIToastView.h"

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UIGraphics.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kPadding = 16;
constexpr CGFloat kSpacing = 10;
constexpr CGFloat kIconSide = 37;
constexpr CGFloat kOuterMargin = 40;
constexpr CGFloat kCornerRadius = 12;

// The tick or the cross of a finished task, drawn once as white line art.
std::shared_ptr<UIImage> statusIcon(bool succeeded) {
    UIGraphicsBeginImageContextWithOptions({kIconSide, kIconSide}, false, 0);
    if (CGContext* context = UIGraphicsGetCurrentContext()) {
        cairo_t* cr = context->cairo();
        cairo_set_source_rgba(cr, 1, 1, 1, 1);
        cairo_set_line_width(cr, 2.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_arc(cr, kIconSide / 2, kIconSide / 2, kIconSide / 2 - 2, 0, 2 * M_PI);
        cairo_stroke(cr);
        if (succeeded) {
            cairo_move_to(cr, 10, 19);
            cairo_line_to(cr, 16, 25);
            cairo_line_to(cr, 27, 13);
        } else {
            cairo_move_to(cr, 12.5, 12.5);
            cairo_line_to(cr, 24.5, 24.5);
            cairo_move_to(cr, 24.5, 12.5);
            cairo_line_to(cr, 12.5, 24.5);
        }
        cairo_stroke(cr);
    }
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

} // namespace

QMUIToastView::QMUIToastView(const QMUITips::Tip& tip)
    : identifier_(tip.identifier), box_(std::make_shared<UIView>()), textLabel_(std::make_shared<UILabel>()) {
    setUserInteractionEnabled(tip.kind == QMUITips::Kind::loading);
    box_->setBackgroundColor(UIColor::colorWithWhite(0, 0.8));
    box_->layer()->setCornerRadius(kCornerRadius);
    switch (tip.kind) {
    case QMUITips::Kind::loading: {
        auto wheel = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::whiteLarge);
        wheel->startAnimating();
        indicator_ = std::move(wheel);
        break;
    }
    case QMUITips::Kind::succeed:
    case QMUITips::Kind::error:
        indicator_ = std::make_shared<UIImageView>(statusIcon(tip.kind == QMUITips::Kind::succeed));
        break;
    case QMUITips::Kind::text:
        break;
    }
    textLabel_->setText(tip.text);
    textLabel_->setTextColor(UIColor::whiteColor());
    textLabel_->setFont(UIFont::systemFontOfSize(16));
    textLabel_->setTextAlignment(NSTextAlignment::center);
    textLabel_->setNumberOfLines(0);
    textLabel_->setHidden(tip.text.empty());
}

QMUIToastView::~QMUIToastView() = default;

void QMUIToastView::attachContent() {
    if (contentAttached_ || weak_from_this().expired()) {
        return;
    }
    contentAttached_ = true;
    addSubview(box_);
    if (indicator_) {
        box_->addSubview(indicator_);
    }
    box_->addSubview(textLabel_);
}

void QMUIToastView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachContent();
}

void QMUIToastView::layoutSubviews() {
    attachContent();
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat maximumTextWidth = std::max(0.0, bounds.width() - 2 * kOuterMargin - 2 * kPadding);
    const CGSize text =
        textLabel_->isHidden() ? CGSizeZero : textLabel_->sizeThatFits({maximumTextWidth, CGFLOAT_MAX});
    const CGFloat textWidth = std::min(text.width, maximumTextWidth);
    const CGFloat iconSide = indicator_ ? kIconSide : 0;
    const CGFloat spacing = indicator_ && !textLabel_->isHidden() ? kSpacing : 0;
    const CGSize box{std::max(textWidth, iconSide) + 2 * kPadding,
                     iconSide + spacing + text.height + 2 * kPadding};
    box_->setFrame({{(bounds.width() - box.width) / 2, (bounds.height() - box.height) / 2}, box});
    if (indicator_) {
        indicator_->setFrame({{(box.width - iconSide) / 2, kPadding}, {iconSide, iconSide}});
    }
    textLabel_->setFrame(
        {{(box.width - textWidth) / 2, kPadding + iconSide + spacing}, {textWidth, text.height}});
}
