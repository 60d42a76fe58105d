#include "MainController/My/Cell/KKacrecomment.h"

#include "app/Extensions/TextMeasurement.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

UIFont textFont() {
    return UIFont::systemFontOfSize(13, UIFontWeightMedium);
}

} // namespace

KKacrecomment::KKacrecomment(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier) {
    setupUI();
}

CGFloat KKacrecomment::textHeight(const std::string& intro, CGFloat width) {
    return intro.empty() ? 0 : std::ceil(::textHeight(intro, textFont(), width));
}

void KKacrecomment::setupUI() {
    kkverdictheadquarters_ = std::make_shared<QMUILabel>();
    kkverdictheadquarters_->setTextColor(hexColor("#A6A6A6"));
    kkverdictheadquarters_->setFont(UIFont::systemFontOfSize(12, UIFontWeightMedium));

    kkaccountanttense_ = std::make_shared<UIView>();
    kkaccountanttense_->setBackgroundColor(hexColor("#2B2D3A"));
    cornerRadius(*kkaccountanttense_, 6);

    titleLabel_ = std::make_shared<QMUILabel>();
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setFont(UIFont::systemFontOfSize(16, UIFontWeightBold));
    titleLabel_->setCanPerformCopyAction(true);

    kkduplicatestack_ = std::make_shared<QMUILabel>();
    kkduplicatestack_->setTextColor(UIColor::whiteColor());
    kkduplicatestack_->setFont(textFont());
    kkduplicatestack_->setNumberOfLines(0);
    kkduplicatestack_->setCanPerformCopyAction(true);

    const auto& content = contentView();
    content->addSubview(kkverdictheadquarters_);
    content->addSubview(kkaccountanttense_);
    kkaccountanttense_->addSubview(titleLabel_);
    kkaccountanttense_->addSubview(kkduplicatestack_);

    kkverdictheadquarters_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalToSuperview().inset(20);
        make.centerX.equalToSuperview();
    });
    kkaccountanttense_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkverdictheadquarters_->snp.bottom).offset(15);
        make.left.right().equalToSuperview().inset(15);
        make.height.equalTo(cardHeight_);
    });
    titleLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalToSuperview().inset(18);
        make.left.right().equalToSuperview().inset(11);
    });
    kkduplicatestack_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(titleLabel_->snp.bottom).offset(6);
        make.left.right().equalToSuperview().inset(11);
    });
}

void KKacrecomment::configure(const std::string& time, const std::string& title, const std::string& intro,
                              CGFloat cardHeight) {
    kkverdictheadquarters_->setText(time);
    titleLabel_->setText(title);
    kkduplicatestack_->setText(intro);
    if (cardHeight_ != cardHeight) {
        cardHeight_ = cardHeight;
        kkaccountanttense_->snp.updateConstraints(
            [&](ConstraintMaker& make) { make.height.equalTo(cardHeight); });
    }
}
