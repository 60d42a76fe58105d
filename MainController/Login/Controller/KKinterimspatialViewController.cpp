#include "MainController/Login/Controller/KKinterimspatialViewController.h"

#include "MainController/Login/Controller/KKprescriptioninterimViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

namespace {

std::shared_ptr<QMUILabel> rowLabel(const std::string& text) {
    auto label = std::make_shared<QMUILabel>();
    label->setText(text);
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(14));
    return label;
}

std::shared_ptr<UIView> separator() {
    auto line = std::make_shared<UIView>();
    line->setBackgroundColor(hexColor("#262529"));
    return line;
}

} // namespace

std::weak_ptr<KKinterimspatialViewController> KKinterimspatialViewController::weakSelf() {
    return std::static_pointer_cast<KKinterimspatialViewController>(shared_from_this());
}

const std::shared_ptr<UIImageView>& KKinterimspatialViewController::kkinnumerablesummary() {
    if (!kkinnumerablesummary_) {
        kkinnumerablesummary_ = std::make_shared<UIImageView>(UIImage::imageNamed("default_logo"));
        kkinnumerablesummary_->layer()->setCornerRadius(44);
        kkinnumerablesummary_->setClipsToBounds(true);
        kkinnumerablesummary_->layer()->setBorderWidth(1.0);
        kkinnumerablesummary_->layer()->setBorderColor(UIColor::whiteColor());
    }
    return kkinnumerablesummary_;
}

const std::shared_ptr<QMUILabel>& KKinterimspatialViewController::kksummaryobey() {
    if (!kksummaryobey_) {
        kksummaryobey_ = std::make_shared<QMUILabel>();
        kksummaryobey_->setFont(UIFont::systemFontOfSize(18, UIFontWeightMedium));
        kksummaryobey_->setTextColor(UIColor::whiteColor());
        kksummaryobey_->setAccessibilityIdentifier("account.nickname");
    }
    return kksummaryobey_;
}

const std::shared_ptr<QMUILabel>& KKinterimspatialViewController::kkobeypore() {
    if (!kkobeypore_) {
        kkobeypore_ = rowLabel("我的昵称");
    }
    return kkobeypore_;
}

const std::shared_ptr<QMUIButton>& KKinterimspatialViewController::kkporeswing() {
    if (!kkporeswing_) {
        kkporeswing_ = std::make_shared<QMUIButton>();
        kkporeswing_->setImage(UIImage::imageNamed("right"), UIControlStateNormal);
        kkporeswing_->setImagePosition(QMUIButtonImagePosition::right);
        kkporeswing_->setSpacingBetweenImageAndTitle(8);
        kkporeswing_->titleLabel()->setFont(UIFont::systemFontOfSize(14));
        kkporeswing_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        kkporeswing_->setAccessibilityIdentifier("account.editNickname");
        kkporeswing_->setQmui_tapBlock([](UIControl&) {
            KKpresentationdisease::getCurrentVC()->showViewController(
                std::make_shared<KKprescriptioninterimViewController>(), nullptr);
        });
    }
    return kkporeswing_;
}

const std::shared_ptr<UIView>& KKinterimspatialViewController::nameLineView() {
    if (!nameLineView_) {
        nameLineView_ = separator();
    }
    return nameLineView_;
}

const std::shared_ptr<QMUILabel>& KKinterimspatialViewController::kkswingweb() {
    if (!kkswingweb_) {
        kkswingweb_ = rowLabel("邮箱");
    }
    return kkswingweb_;
}

const std::shared_ptr<QMUILabel>& KKinterimspatialViewController::kkwebdramatic() {
    if (!kkwebdramatic_) {
        kkwebdramatic_ = std::make_shared<QMUILabel>();
        kkwebdramatic_->setFont(UIFont::systemFontOfSize(14));
        kkwebdramatic_->setTextColor(hexColor("BEBDC2"));
        kkwebdramatic_->setAccessibilityIdentifier("account.username");
    }
    return kkwebdramatic_;
}

const std::shared_ptr<UIView>& KKinterimspatialViewController::mailLineView() {
    if (!mailLineView_) {
        mailLineView_ = separator();
    }
    return mailLineView_;
}

const std::shared_ptr<QMUIButton>& KKinterimspatialViewController::logoutBtn() {
    if (!logoutBtn_) {
        logoutBtn_ = std::make_shared<QMUIButton>();
        logoutBtn_->setTitle("退出登录", UIControlStateNormal);
        logoutBtn_->titleLabel()->setFont(UIFont::systemFontOfSize(16, UIFontWeightBold));
        logoutBtn_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        logoutBtn_->setBackgroundColor(hexColor("D73F3F"));
        logoutBtn_->layer()->setCornerRadius(16);
        logoutBtn_->setClipsToBounds(true);
        logoutBtn_->addTarget(
            [weak = weakSelf()](UIControl&) {
                if (const auto self = weak.lock()) {
                    self->kkdramaticlikewise();
                }
            },
            UIControlEventTouchUpInside);
    }
    return logoutBtn_;
}

void KKinterimspatialViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKinterimspatialViewController::setupUI() {
    setTitle("个人信息");
    view()->setBackgroundColor(hexColor("1C1B20"));
    for (const auto& subview : std::vector<std::shared_ptr<UIView>>{
             kkinnumerablesummary(), kksummaryobey(), kkobeypore(), kkporeswing(), nameLineView(),
             kkswingweb(), kkwebdramatic(), mailLineView(), logoutBtn()}) {
        view()->addSubview(subview);
    }
    const auto& safeArea = view()->safeAreaLayoutGuide();
    kkinnumerablesummary()->snp.makeConstraints([&safeArea](ConstraintMaker& make) {
        make.top.equalTo(safeArea->snp.top).offset(42);
        make.centerX.equalToSuperview();
        make.width.height().equalTo(88);
    });
    kksummaryobey()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkinnumerablesummary()->snp.bottom).offset(8);
        make.centerX.equalTo(kkinnumerablesummary()->snp.centerX);
    });
    nameLineView()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kksummaryobey()->snp.bottom).offset(150);
        make.left.right().equalToSuperview().inset(26);
        make.height.equalTo(1);
    });
    kkobeypore()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(44);
        make.bottom.equalTo(nameLineView()->snp.bottom).offset(-15);
    });
    kkporeswing()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().offset(-28);
        make.centerY.equalTo(kkobeypore()->snp.centerY);
    });
    mailLineView()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(nameLineView()->snp.top).offset(54);
        make.left.right().equalToSuperview().inset(26);
        make.height.equalTo(1);
    });
    kkswingweb()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(44);
        make.bottom.equalTo(mailLineView()->snp.bottom).offset(-15);
    });
    kkwebdramatic()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().offset(-26);
        make.centerY.equalTo(kkswingweb()->snp.centerY);
    });
    logoutBtn()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(mailLineView()->snp.bottom).offset(44);
        make.centerX.equalToSuperview();
        make.width.equalTo(214);
        make.height.equalTo(54);
    });
}

void KKinterimspatialViewController::viewWillAppear(bool animated) {
    BaseViewController::viewWillAppear(animated);
    fill();
}

void KKinterimspatialViewController::fill() {
    const auto user = KKrearinfluence::storedUser();
    if (!user) {
        return;
    }
    sd_setImageWithURL(kkinnumerablesummary(), user->portrait.value_or(""),
                       UIImage::imageNamed("default_logo"));
    const std::string nickName = user->nickName.value_or("");
    kkporeswing()->setTitle(nickName, UIControlStateNormal);
    kksummaryobey()->setText(nickName);
    kkwebdramatic()->setText(user->username.value_or(""));
}

void KKinterimspatialViewController::confirmLogout() {
    auto alert = UIAlertController::alertControllerWithTitle("确认退出登录？", std::nullopt,
                                                             UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    alert->addAction(UIAlertAction::actionWithTitle("确认", UIAlertActionStyle::destructive,
                                                    [weak = weakSelf()](UIAlertAction&) {
                                                        if (const auto self = weak.lock()) {
                                                            self->logout();
                                                        }
                                                    }));
    presentViewController(alert, true);
}

void KKinterimspatialViewController::logout() {
    if (loggingOut_) {
        return;
    }
    loggingOut_ = true;
    // The service took this member's sign-out already (the tourist sign-in after it
    // failed): only the tourist is still needed.
    if (sessionEnded_) {
        signInAsTourist();
        return;
    }
    member_ = userDefaults().stringForKey(KKrearinfluence::loginDefaultsKey);
    QMUITips::showLoadingInView(view());
    apiClient.sendRequest(HTTPMethod::post, "api/logout", {},
                          [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError> error) {
                              // A service that no longer knows the member's login has no
                              // session left to end: the sign-out goes on as if it took it.
                              const bool ended =
                                  json || (error && KKriplog::isLoginNoLongerValid(error->code));
                              const auto self = weak.lock();
                              if (!self) {
                                  if (ended) {
                                      apiClient.touristLogin("0", storeTourist);
                                  }
                                  return;
                              }
                              if (!ended) {
                                  self->loggingOut_ = false;
                                  return;
                              }
                              self->sessionEnded_ = true;
                              self->signInAsTourist();
                          });
}

bool KKinterimspatialViewController::storeTourist(std::optional<JSON> tourist, std::optional<NSError>) {
    if (!tourist || !tourist->dictionary()) {
        return false;
    }
    // The member stays stored until this answer replaces it.
    userDefaults().setString(KKrearinfluence::loginDefaultsKey,
                             KKpresentationdisease::toJSONString(*tourist));
    return true;
}

void KKinterimspatialViewController::signInAsTourist() {
    // The client hid the loading tip when the sign-out answered; the page is still busy
    // (and ignores another sign-out) until the tourist answers, so it says so again.
    QMUITips::showLoadingInView(view());
    apiClient.touristLogin("0",
                           [weak = weakSelf()](std::optional<JSON> tourist, std::optional<NSError> error) {
                               const bool stored = storeTourist(std::move(tourist), error);
                               const auto self = weak.lock();
                               if (!self) {
                                   return;
                               }
                               if (stored) {
                                   self->signedOut();
                                   return;
                               }
                               // A sign-out refused as an expired login has the client renew that login too:
                               // what it stores decides what the page says.
                               apiClient.whenRenewalEnds([weak, error] {
                                   if (const auto self = weak.lock()) {
                                       self->touristFailed(error);
                                   }
                               });
                           });
}

void KKinterimspatialViewController::signedOut() {
    loggingOut_ = false;
    sessionEnded_ = false;
    if (const auto navigation = navigationController()) {
        navigation->popToRootViewControllerAnimated(true);
    }
}

void KKinterimspatialViewController::touristFailed(const std::optional<NSError>& error) {
    const auto stored = userDefaults().stringForKey(KKrearinfluence::loginDefaultsKey);
    if (stored != member_) {
        const auto user = KKrearinfluence::storedUser();
        const auto memberId = member_ ? KKrearinfluence(JSON::parse(*member_)).id : std::nullopt;
        if (!user || user->id != memberId) {
            // The client's renewal stored a tourist in the member's place: signed out.
            signedOut();
            return;
        }
        // The renewal signed the member in again: that new session is the one the next
        // sign-out ends.
        member_ = stored;
        sessionEnded_ = false;
    }
    loggingOut_ = false;
    // The member is still stored and may sign out again. The client has shown a service's
    // own message; any other failure the page shows itself.
    if (!error || !KKriplog::showsErrorItself(*error)) {
        QMUITips::showError(error ? error->domain : KKriplog::notJSONErrorDomain, view());
    }
}
