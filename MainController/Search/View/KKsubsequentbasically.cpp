#include "MainController/Search/View/KKsubsequentbasically.h"

#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

KKsubsequentbasically::KKsubsequentbasically(const CGRect& frame) : UIView(frame) {}

const std::shared_ptr<QMUILabel>& KKsubsequentbasically::kkinsteadaccident() {
    if (!kkinsteadaccident_) {
        kkinsteadaccident_ = std::make_shared<QMUILabel>();
        kkinsteadaccident_->setText("1");
        kkinsteadaccident_->setTextAlignment(NSTextAlignment::center);
        kkinsteadaccident_->setBackgroundColor(hexColor("D73F3F"));
        cornerRadius(*kkinsteadaccident_, 2);
        kkinsteadaccident_->setFont(UIFont::systemFontOfSize(12, UIFontWeightBold));
    }
    setupUI();
    return kkinsteadaccident_;
}

const std::shared_ptr<QMUILabel>& KKsubsequentbasically::title() {
    if (!title_) {
        title_ = std::make_shared<QMUILabel>();
        title_->setText("标题");
        title_->setTextColor(hexColor("BEBDC2"));
        title_->setFont(UIFont::systemFontOfSize(12));
    }
    setupUI();
    return title_;
}

void KKsubsequentbasically::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    setupUI();
}

void KKsubsequentbasically::layoutSubviews() {
    setupUI();
    UIView::layoutSubviews();
}

void KKsubsequentbasically::setupUI() {
    // Not before the line is owned (subviews need it), and only once.
    if (uiBuilt_ || weak_from_this().expired()) {
        return;
    }
    uiBuilt_ = true;
    const auto& badge = kkinsteadaccident();
    const auto& label = title();
    addSubview(badge);
    addSubview(label);
    badge->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.top().equalToSuperview();
        make.width.height().equalTo(18);
    });
    label->snp.makeConstraints([&badge](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(25);
        make.right.equalToSuperview().inset(10);
        make.centerY.equalTo(badge->snp.centerY);
    });
}
