#include "MainController/My/Controller/KKspatialceremonyViewController.h"

#include "MainController/My/View/MyTexts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/UIImageView.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr long kTapsBeforePrompt = 10;
constexpr double kExitDelay = 2.0;

// The service codes, put together at run time: the four-digit one turns on both ad
// flags, the three-digit one only "showAD".
std::string fullCode() {
    return std::to_string(19) + std::to_string(86);
}
std::string showOnlyCode() {
    return std::to_string(5) + std::to_string(20);
}

} // namespace

std::function<void(int status)>& KKspatialceremonyViewController::processExit() {
    static std::function<void(int)> exit = [](int status) {
        std::fflush(nullptr);
        std::_Exit(status);
    };
    return exit;
}

void KKspatialceremonyViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKspatialceremonyViewController::setupUI() {
    setTitle("关于我们");
    kkconventiondisturb_ = std::make_shared<UIImageView>(UIImage::imageNamed("logo"));
    kkconventiondisturb_->setAccessibilityIdentifier("about.logo");
    cornerRadius(*kkconventiondisturb_, 30);
    version_ = std::make_shared<QMUILabel>();
    version_->setText("版本号 v" + appVersion());
    version_->setTextColor(UIColor::whiteColor());
    version_->setFont(UIFont::systemFontOfSize(14));

    const auto& root = view();
    root->addSubview(kkconventiondisturb_);
    root->addSubview(version_);
    kkconventiondisturb_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(root->safeAreaLayoutGuide()->snp.top).offset(44);
        make.centerX.equalToSuperview();
        make.width.height().equalTo(200);
    });
    version_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkconventiondisturb_->snp.bottom).offset(20);
        make.centerX.equalTo(kkconventiondisturb_->snp.centerX);
    });
    std::weak_ptr<KKspatialceremonyViewController> weakSelf =
        std::static_pointer_cast<KKspatialceremonyViewController>(sharedController());
    addTapAction(*kkconventiondisturb_, [weakSelf](UITapGestureRecognizer&) {
        if (auto self = weakSelf.lock()) {
            self->logoTap();
        }
    });
}

void KKspatialceremonyViewController::logoTap() {
    ++count_;
    if (count_ < kTapsBeforePrompt) {
        return;
    }
    auto alert = UIAlertController::alertControllerWithTitle("", std::nullopt, UIAlertControllerStyle::alert);
    alert->addTextFieldWithConfigurationHandler(nullptr);
    std::weak_ptr<KKspatialceremonyViewController> weakSelf =
        std::static_pointer_cast<KKspatialceremonyViewController>(sharedController());
    // The field outlives the alert's dismissal, which comes before the handler runs.
    std::shared_ptr<UITextField> field = alert->textFields().empty() ? nullptr : alert->textFields().front();
    alert->addAction(UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::defaultStyle,
                                                    [weakSelf, field](UIAlertAction&) {
                                                        auto self = weakSelf.lock();
                                                        if (self && field) {
                                                            self->confirm(field->text());
                                                        }
                                                    }));
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    presentViewController(alert, true);
}

void KKspatialceremonyViewController::confirm(const std::string& code) {
    auto& defaults = userDefaults();
    if (code == fullCode()) {
        defaults.setBool("showAD", true);
        defaults.setBool("about_ad", true);
    } else if (code == showOnlyCode()) {
        defaults.setBool("showAD", true);
    } else {
        return;
    }
    QMUITips::showSucceed(decodedText("6YeN5ZCvQVBQ5LitLi4u"));
    // The exit is the process's, not the page's: it happens even when the page is gone.
    mainQueue().asyncAfter(kExitDelay, [] { processExit()(0); });
}
