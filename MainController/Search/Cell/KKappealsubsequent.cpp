#include "MainController/Search/Cell/KKappealsubsequent.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

KKappealsubsequent::KKappealsubsequent(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier) {}

const std::shared_ptr<UIImageView>& KKappealsubsequent::kkdrainexempt() {
    if (!kkdrainexempt_) {
        kkdrainexempt_ = std::make_shared<UIImageView>(placeholderImage());
        kkdrainexempt_->setContentMode(UIViewContentMode::scaleAspectFill);
        cornerRadius(*kkdrainexempt_, 3);
    }
    buildUI();
    return kkdrainexempt_;
}

const std::shared_ptr<QMUILabel>& KKappealsubsequent::name() {
    if (!name_) {
        name_ = std::make_shared<QMUILabel>();
        name_->setText("名字");
        name_->setTextColor(UIColor::whiteColor());
        name_->setFont(UIFont::systemFontOfSize(15, UIFontWeightMedium));
    }
    buildUI();
    return name_;
}

const std::shared_ptr<QMUILabel>& KKappealsubsequent::classType() {
    if (!classType_) {
        classType_ = std::make_shared<QMUILabel>();
        classType_->setText("类型");
        classType_->setTextColor(hexColor("BEBDC2"));
        classType_->setFont(UIFont::systemFontOfSize(14));
    }
    buildUI();
    return classType_;
}

void KKappealsubsequent::didMoveToSuperview() {
    BaseTableViewCell::didMoveToSuperview();
    buildUI();
}

void KKappealsubsequent::layoutSubviews() {
    buildUI();
    BaseTableViewCell::layoutSubviews();
}

CGFloat KKappealsubsequent::fittingHeightForWidth(CGFloat width) {
    buildUI();
    return BaseTableViewCell::fittingHeightForWidth(width);
}

void KKappealsubsequent::buildUI() {
    if (uiBuilt_ || weak_from_this().expired()) {
        return;
    }
    uiBuilt_ = true;
    setupUI();
}

void KKappealsubsequent::setupUI() {
    const auto& content = contentView();
    const auto& picture = kkdrainexempt();
    const auto& title = name();
    const auto& line = classType();
    content->addSubview(picture);
    content->addSubview(title);
    content->addSubview(line);
    picture->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(15);
        make.centerY.equalToSuperview();
        make.height.equalTo(54);
        make.width.equalTo(96);
    });
    title->snp.makeConstraints([&picture](ConstraintMaker& make) {
        make.top.equalTo(picture->snp.top).offset(5);
        make.left.equalToSuperview().offset(120);
        make.right.equalToSuperview().inset(10);
    });
    line->snp.makeConstraints([&title](ConstraintMaker& make) {
        make.top.equalTo(title->snp.bottom).offset(4);
        make.left.equalTo(title->snp.left);
        make.width.equalTo(title->snp.width);
    });
}
