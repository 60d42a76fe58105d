// What the home page offers besides its tabs: the refreshed tourist sign-in, the
// continue-watching card and the newest notice.

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Controller/KKelectronicbrow.h"
#include "MainController/Home/View/KKaggravateconcession.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIViewExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UIAlertController.h"

void KKelectronicbrow::refreshLogin() {
    std::string id = "0";
    if (const auto user = KKrearinfluence::storedUser(); user && user->id && !user->id->empty()) {
        id = *user->id;
    }
    // The answer replaces the stored user only while it is still the one this refresh
    // started from: a person who signs in meanwhile stays signed in.
    const auto refreshed = userDefaults().stringForKey(KKrearinfluence::loginDefaultsKey);
    apiClient.touristLogin(id, [refreshed](std::optional<JSON> json, std::optional<NSError>) {
        if (json && json->dictionary() &&
            userDefaults().stringForKey(KKrearinfluence::loginDefaultsKey) == refreshed) {
            userDefaults().setString(KKrearinfluence::loginDefaultsKey,
                                     KKpresentationdisease::toJSONString(*json));
        }
    });
}

void KKelectronicbrow::showContinueView() {
    if (isCloseContinueView_) {
        return;
    }
    if (auto shown = continueView_.lock()) {
        shown->removeFromSuperview();
    }
    continueView_.reset();
    auto records = SJPlaybackHistoryController::shared().recordsForConditions(
        {}, {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
    if (!records.ok() || records->empty()) {
        return;
    }
    const auto record = records->front();
    auto card = KKaggravateconcession::make();
    card->setAccessibilityIdentifier("home.continue");
    card->titleLabel()->setText("继续观看 " + record->title.value_or("") + " " +
                                record->episode.value_or(""));
    const auto& root = view();
    root->addSubview(card);
    card->snp.makeConstraints([&root](ConstraintMaker& make) {
        make.bottom.equalTo(root->safeAreaLayoutGuide()->snp.bottom).offset(-80);
        make.left.right().equalToSuperview().inset(15);
        make.height.equalTo(54);
    });
    std::weak_ptr<KKelectronicbrow> weak = std::static_pointer_cast<KKelectronicbrow>(sharedController());
    std::weak_ptr<KKaggravateconcession> weakCard = card;
    const std::string vodId = record->vodId.value_or("");
    addTapAction(*card, [weak, weakCard, vodId](UITapGestureRecognizer&) {
        if (auto self = weak.lock()) {
            auto page = std::make_shared<KKgiganticgloomy>();
            page->vod_id = vodId;
            self->showViewController(page, nullptr);
        }
        if (auto card = weakCard.lock()) {
            card->dismiss();
        }
    });
    card->clickClose = [weak] {
        if (auto self = weak.lock()) {
            self->isCloseContinueView_ = true;
        }
    };
    continueView_ = card;
}

void KKelectronicbrow::loadNotice() {
    std::weak_ptr<KKelectronicbrow> weak = std::static_pointer_cast<KKelectronicbrow>(sharedController());
    apiClient.sendRequest(
        HTTPMethod::post, "api/getNotice", {}, [weak](std::optional<JSON> json, std::optional<NSError>) {
            auto self = weak.lock();
            if (!self || !json || json->arrayValue().empty()) {
                return;
            }
            const JSON notice = (*json)[0];
            const std::string key = noticeShownKey(notice["create_time"].stringValue());
            if (userDefaults().boolForKey(key)) {
                return;
            }
            userDefaults().setBool(key, true);
            auto alert = UIAlertController::alertControllerWithTitle(
                notice["title"].stringValue(), notice["intro"].stringValue(), UIAlertControllerStyle::alert);
            alert->addAction(UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::cancel));
            self->presentViewController(alert, true);
        });
}
