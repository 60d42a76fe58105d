#include "MainController/Login/Controller/KKprescriptioninterimViewController.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

namespace {

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// White space and line breaks off both ends (the ASCII ones and the ideographic space).
std::string trimmed(std::string text) {
    static const std::string ideographicSpace = "\xE3\x80\x80";
    bool changed = true;
    while (changed) {
        changed = false;
        while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) {
            text.erase(text.begin());
            changed = true;
        }
        while (!text.empty() && isBlank(static_cast<unsigned char>(text.back()))) {
            text.pop_back();
            changed = true;
        }
        if (text.starts_with(ideographicSpace)) {
            text.erase(0, ideographicSpace.size());
            changed = true;
        }
        if (text.ends_with(ideographicSpace)) {
            text.erase(text.size() - ideographicSpace.size());
            changed = true;
        }
    }
    return text;
}

} // namespace

std::weak_ptr<KKprescriptioninterimViewController> KKprescriptioninterimViewController::weakSelf() {
    return std::static_pointer_cast<KKprescriptioninterimViewController>(shared_from_this());
}

const std::shared_ptr<QMUITextField>& KKprescriptioninterimViewController::nickName() {
    if (!nickName_) {
        nickName_ = std::make_shared<QMUITextField>();
        nickName_->setPlaceholder("昵称");
        nickName_->setFont(UIFont::systemFontOfSize(14));
        nickName_->setTextColor(UIColor::whiteColor());
        nickName_->setAccessibilityIdentifier("nickname.field");
    }
    return nickName_;
}

const std::shared_ptr<UIView>& KKprescriptioninterimViewController::kkdecoratevirtue() {
    if (!kkdecoratevirtue_) {
        kkdecoratevirtue_ = std::make_shared<UIView>();
        kkdecoratevirtue_->setBackgroundColor(hexColor("#262529"));
    }
    return kkdecoratevirtue_;
}

const std::shared_ptr<QMUIButton>& KKprescriptioninterimViewController::saveBtn() {
    if (!saveBtn_) {
        saveBtn_ = std::make_shared<QMUIButton>();
        saveBtn_->setTitle("保存", UIControlStateNormal);
        saveBtn_->titleLabel()->setFont(UIFont::systemFontOfSize(16, UIFontWeightBold));
        saveBtn_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        saveBtn_->setBackgroundColor(hexColor("D73F3F"));
        saveBtn_->layer()->setCornerRadius(16);
        saveBtn_->setClipsToBounds(true);
        saveBtn_->addTarget(
            [weak = weakSelf()](UIControl&) {
                if (const auto self = weak.lock()) {
                    self->kkdiscountspokesman();
                }
            },
            UIControlEventTouchUpInside);
    }
    return saveBtn_;
}

void KKprescriptioninterimViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    if (const auto user = KKrearinfluence::storedUser()) {
        nickName()->setText(user->nickName.value_or(""));
        nickName()->becomeFirstResponder();
    }
}

void KKprescriptioninterimViewController::setupUI() {
    setTitle("编辑昵称");
    view()->setBackgroundColor(hexColor("1C1B20"));
    view()->addSubview(nickName());
    view()->addSubview(kkdecoratevirtue());
    view()->addSubview(saveBtn());
    const auto& safeArea = view()->safeAreaLayoutGuide();
    nickName()->snp.makeConstraints([&safeArea](ConstraintMaker& make) {
        make.top.equalTo(safeArea->snp.top);
        make.left.right().equalToSuperview().inset(26);
        make.height.equalTo(47);
    });
    kkdecoratevirtue()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(nickName()->snp.bottom);
        make.left.right().equalToSuperview().inset(26);
        make.height.equalTo(1);
    });
    saveBtn()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdecoratevirtue()->snp.bottom).offset(32);
        make.centerX.equalToSuperview();
        make.width.equalTo(214);
        make.height.equalTo(54);
    });
}

void KKprescriptioninterimViewController::saveNickName() {
    // A name of blanks only is no name: it is tested after trimming, so it is refused here
    // rather than sent as an empty name.
    const std::string name = trimmed(nickName()->text());
    if (name.empty()) {
        QMUITips::showError("请先填写昵称");
        return;
    }
    if (saving_) {
        return;
    }
    saving_ = true;
    QMUITips::showLoadingInView(view());
    apiClient.setNickName(name, [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError>) {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        if (!json) {
            self->saving_ = false;
            return;
        }
        self->refreshUser();
    });
}

void KKprescriptioninterimViewController::refreshUser() {
    const auto user = KKrearinfluence::storedUser();
    if (!user) {
        saving_ = false;
        return;
    }
    QMUITips::showLoadingInView(view());
    apiClient.touristLogin(user->id.value_or(""), [weak = weakSelf()](std::optional<JSON> json,
                                                                      std::optional<NSError>) {
        const auto self = weak.lock();
        if (self) {
            self->saving_ = false;
        }
        if (!json || !json->dictionary()) {
            return;
        }
        // The service holds the new name already: the refreshed record is kept even when
        // the page has gone meanwhile.
        userDefaults().setString(KKrearinfluence::loginDefaultsKey,
                                 KKpresentationdisease::toJSONString(*json));
        const auto navigation = self ? self->navigationController() : nullptr;
        if (navigation) {
            navigation->qmui_popViewControllerAnimated(true, [] { QMUITips::showSucceed("昵称修改成功!"); });
        }
    });
}
