#include "MainController/My/Controller/KKgracestimulateViewController.h"

#include "MainController/My/View/MyTexts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUIFloatLayoutView.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/QMUIKit/Controls/QMUITextView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

namespace {

constexpr CGFloat kSideInset = 15;

std::shared_ptr<QMUILabel> makePrompt(const std::string& text) {
    auto label = std::make_shared<QMUILabel>();
    label->setText(text);
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));
    return label;
}

// The text without white space and line breaks at either end.
std::string trimmed(const std::string& text) {
    constexpr const char* blanks = " \t\n\r\f\v";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Length in UTF-16 units, as the text view counts its maximum.
std::size_t utf16Length(const std::string& text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

} // namespace

const std::vector<std::string>& KKgracestimulateViewController::typeTitles() {
    static const std::vector<std::string> titles = {"求片",     "播放问题", "投屏问题", "线路问题",
                                                    "片源问题", "需求问题", "产品BUG",  "其他"};
    return titles;
}

void KKgracestimulateViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKgracestimulateViewController::setupUI() {
    setTitle("我要反馈");
    auto self = std::static_pointer_cast<KKgracestimulateViewController>(sharedController());
    std::weak_ptr<KKgracestimulateViewController> weakSelf = self;

    kkadequatejeopardize_ = makePrompt("请描述您遇到的问题类型");
    kkinterimspatial_ = std::make_shared<QMUIFloatLayoutView>();
    kkinterimspatial_->setMinimumItemSize({72, 30});
    kkinterimspatial_->setItemMargins({0, 0, 12, 10});
    kkjeopardizegallon_ = makePrompt("请输入您要反馈的标题");

    kkgallonduplicate_ = std::make_shared<QMUITextField>();
    kkgallonduplicate_->setAccessibilityIdentifier("feedback.title");
    kkgallonduplicate_->setPlaceholder("请输入文字");
    kkgallonduplicate_->setBackgroundColor(UIColor::whiteColor());
    kkgallonduplicate_->setBorderStyle(UITextBorderStyle::roundedRect);
    kkgallonduplicate_->setTextColor(hexColor("28272C"));
    kkgallonduplicate_->setPlaceholderColor(hexColor("#666666"));
    kkgallonduplicate_->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));

    kkduplicatestack_ = makePrompt("请描述您的问题");
    kkstackmingle_ = std::make_shared<QMUITextView>();
    kkstackmingle_->setAccessibilityIdentifier("feedback.content");
    kkstackmingle_->setPlaceholder("请输入文字");
    kkstackmingle_->setMaximumTextLength(maximumDescriptionLength);
    kkstackmingle_->setDelegate(self);
    kkstackmingle_->setBackgroundColor(UIColor::whiteColor());
    kkstackmingle_->layer()->setCornerRadius(6);
    kkstackmingle_->setClipsToBounds(true);
    kkstackmingle_->setTextColor(hexColor("28272C"));
    kkstackmingle_->setPlaceholderColor(hexColor("#666666"));
    kkstackmingle_->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
    kkstackmingle_->setTextContainerInset({8, 9, 8, 9});

    kkminglereign_ = std::make_shared<QMUILabel>();
    kkminglereign_->setAccessibilityIdentifier("feedback.counter");
    kkminglereign_->setText("0/200字");
    kkminglereign_->setTextColor(hexColor("#808080"));
    kkminglereign_->setFont(UIFont::systemFontOfSize(12, UIFontWeightMedium));

    kkreignunion_ = std::make_shared<QMUIButton>();
    kkreignunion_->setTitle("提交反馈", UIControlStateNormal);
    kkreignunion_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    kkreignunion_->titleLabel()->setFont(UIFont::boldSystemFontOfSize(16));
    kkreignunion_->setBackgroundColor(hexColor("1C1B20"));
    kkreignunion_->setCornerRadius(QMUIButtonCornerRadiusAdjustsBounds);
    kkreignunion_->addTarget(
        [weakSelf](UIControl&) {
            if (auto page = weakSelf.lock()) {
                page->submit();
            }
        },
        UIControlEventTouchUpInside);

    const auto& root = view();
    for (const auto& subview : std::vector<std::shared_ptr<UIView>>{
             kkadequatejeopardize_, kkinterimspatial_, kkjeopardizegallon_, kkgallonduplicate_,
             kkduplicatestack_, kkstackmingle_, kkminglereign_, kkreignunion_}) {
        root->addSubview(subview);
    }
    const auto& safeArea = root->safeAreaLayoutGuide();
    kkadequatejeopardize_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(safeArea->snp.top).inset(15);
        make.left.equalToSuperview().inset(kSideInset);
    });
    kkinterimspatial_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkadequatejeopardize_->snp.bottom).offset(15);
        make.left.right().equalToSuperview().inset(kSideInset);
        make.height.equalTo(72);
    });
    kkjeopardizegallon_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkinterimspatial_->snp.bottom).offset(15);
        make.left.equalToSuperview().inset(kSideInset);
    });
    kkgallonduplicate_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkjeopardizegallon_->snp.bottom).offset(15);
        make.left.right().equalToSuperview().inset(kSideInset);
        make.height.equalTo(44);
    });
    kkduplicatestack_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkgallonduplicate_->snp.bottom).offset(20);
        make.left.equalToSuperview().inset(kSideInset);
    });
    kkstackmingle_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkduplicatestack_->snp.bottom).offset(15);
        make.left.right().equalToSuperview().inset(kSideInset);
        make.height.equalTo(140);
    });
    kkminglereign_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.right.equalTo(kkstackmingle_->snp.right).offset(-15);
        make.bottom.equalTo(kkstackmingle_->snp.bottom).offset(-10);
    });
    kkreignunion_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalTo(safeArea->snp.bottom).offset(-20);
        make.left.right().equalToSuperview().inset(kSideInset);
        make.height.equalTo(52);
    });
    for (const auto& title : typeTitles()) {
        kkinterimspatial_->addSubview(makeTypeButton(title));
    }
    fitTypeLayoutHeight();
}

std::shared_ptr<QMUIButton> KKgracestimulateViewController::makeTypeButton(const std::string& title) {
    auto button = std::make_shared<QMUIButton>();
    button->setTitle(title, UIControlStateNormal);
    button->setCornerRadius(QMUIButtonCornerRadiusAdjustsBounds);
    button->setBackgroundColor(UIColor::whiteColor());
    button->setTitleColor(hexColor("#808080"), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
    std::weak_ptr<KKgracestimulateViewController> weakSelf =
        std::static_pointer_cast<KKgracestimulateViewController>(sharedController());
    std::weak_ptr<QMUIButton> weakButton = button;
    button->setQmui_tapBlock([weakSelf, weakButton](UIControl&) {
        auto self = weakSelf.lock();
        auto tapped = weakButton.lock();
        if (self && tapped) {
            self->selectType(tapped);
        }
    });
    return button;
}

void KKgracestimulateViewController::selectType(const std::shared_ptr<QMUIButton>& button) {
    if (auto previous = typeBtn_.lock()) {
        previous->setBackgroundColor(UIColor::whiteColor());
        previous->setTitleColor(hexColor("#808080"), UIControlStateNormal);
    }
    typeBtn_ = button;
    button->setBackgroundColor(hexColor("1C1B20"));
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
}

void KKgracestimulateViewController::fitTypeLayoutHeight() {
    // The buttons' lines need as much height as the layout says for the width it gets:
    // worked out from the layout's own arithmetic, not from frames of a later pass.
    const CGFloat width = screenWidth() - 2 * kSideInset;
    const CGFloat height = kkinterimspatial_->sizeThatFits({width, 0}).height;
    if (height > 0) {
        kkinterimspatial_->snp.updateConstraints([&](ConstraintMaker& make) { make.height.equalTo(height); });
    }
}

void KKgracestimulateViewController::touchesBegan(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) {
    view()->endEditing(true);
}

void KKgracestimulateViewController::didChange(UITextView& textView) {
    kkminglereign_->setText(std::to_string(utf16Length(textView.text())) + "/200字");
}

void KKgracestimulateViewController::submit() {
    const auto type = typeBtn_.lock();
    const std::string typeTitle = type && type->titleForState(UIControlStateNormal)
                                      ? *type->titleForState(UIControlStateNormal)
                                      : std::string();
    if (typeTitle.empty()) {
        QMUITips::showWithText("请先选择问题类型");
        return;
    }
    // Texts of blanks only count as empty: the service takes no empty title or content.
    const std::string title = trimmed(kkgallonduplicate_->text());
    if (title.empty()) {
        QMUITips::showWithText(decodedText("6K+36L6T5YWl5qCH6aKY"));
        return;
    }
    const std::string content = trimmed(kkstackmingle_->text());
    if (content.empty()) {
        QMUITips::showWithText(decodedText("6K+36L6T5YWl5Y+N6aaI5YaF5a65"));
        return;
    }
    view()->endEditing(true);
    QMUITips::showLoadingInView(view());
    std::weak_ptr<KKgracestimulateViewController> weakSelf =
        std::static_pointer_cast<KKgracestimulateViewController>(sharedController());
    apiClient.feedback(typeTitle, title, content,
                       [weakSelf](std::optional<JSON> json, std::optional<NSError>) {
                           auto self = weakSelf.lock();
                           if (!self || !json) {
                               return;
                           }
                           QMUITips::showSucceed(decodedText("5Y+N6aaI5oiQ5Yqffg=="));
                           if (auto navigation = self->navigationController()) {
                               navigation->popViewControllerAnimated(true);
                           }
                       });
}
