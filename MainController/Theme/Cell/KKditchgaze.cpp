#include "MainController/Theme/Cell/KKditchgaze.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

KKditchgaze::KKditchgaze(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier) {
    setupUI();
}

const std::shared_ptr<UIImageView>& KKditchgaze::kkdrainexempt() {
    if (!kkdrainexempt_) {
        kkdrainexempt_ = std::make_shared<UIImageView>(placeholderImage());
        kkdrainexempt_->setContentMode(UIViewContentMode::scaleAspectFill);
        kkdrainexempt_->layer()->setCornerRadius(3);
        kkdrainexempt_->setClipsToBounds(true);
    }
    return kkdrainexempt_;
}

const std::shared_ptr<UILabel>& KKditchgaze::name() {
    if (!name_) {
        name_ = std::make_shared<UILabel>();
        name_->setText("名字");
        name_->setTextColor(hexColor("28272C"));
        name_->setFont(UIFont::systemFontOfSize(15, UIFontWeightMedium));
    }
    return name_;
}

const std::shared_ptr<UILabel>& KKditchgaze::classType() {
    if (!classType_) {
        classType_ = std::make_shared<UILabel>();
        classType_->setText("类型");
        classType_->setTextColor(hexColor("#666666"));
        classType_->setFont(UIFont::systemFontOfSize(14));
    }
    return classType_;
}

const std::shared_ptr<UILabel>& KKditchgaze::desc() {
    if (!desc_) {
        desc_ = std::make_shared<UILabel>();
        desc_->setText("简介");
        desc_->setTextColor(hexColor("#999999"));
        desc_->setFont(UIFont::systemFontOfSize(12));
        desc_->setNumberOfLines(2);
    }
    return desc_;
}

const std::shared_ptr<UIView>& KKditchgaze::kkdecoratevirtue() {
    if (!kkdecoratevirtue_) {
        kkdecoratevirtue_ = std::make_shared<UIView>();
        kkdecoratevirtue_->setBackgroundColor(hexColor("EDEDED", 1));
    }
    return kkdecoratevirtue_;
}

void KKditchgaze::setupUI() {
    const auto& content = contentView();
    content->addSubview(kkdrainexempt());
    content->addSubview(name());
    content->addSubview(classType());
    content->addSubview(desc());
    content->addSubview(kkdecoratevirtue());

    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(15);
        make.top.equalToSuperview();
        make.height.equalTo(132);
        make.width.equalTo(102);
    });
    name_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.top).offset(15);
        make.left.equalToSuperview().offset(127);
        make.right.equalToSuperview().offset(-15);
    });
    classType_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(name_->snp.bottom).offset(10);
        make.left.equalTo(name_->snp.left);
        make.width.equalTo(name_->snp.width);
    });
    desc_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(classType_->snp.bottom).offset(10);
        make.left.equalTo(name_->snp.left);
        make.width.equalTo(name_->snp.width);
    });
    kkdecoratevirtue_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.bottom).offset(15);
        make.left.equalToSuperview().offset(15);
        make.right.equalToSuperview().offset(-15);
        make.height.equalTo(0.5);
    });
}
