// What the page offers besides watching: the header's favourite, play-source, feedback
// and banner closures, the rate panel and the skip editor over the player.
#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "MainController/My/Controller/KKgracestimulateViewController.h"
#include "MainController/Video/Controller/KKdeafproductViewController.h"
#include "MainController/Video/Controller/KKproductstaircaseViewController.h"
#include "MainController/Video/Controller/KKrallymultitudeViewController.h"
#include "MainController/Video/View/KKcounciloblige.h"
#include "MainController/Video/View/KKjerkcouncil.h"
#include "MainController/Video/View/KKobligesuicide.h"
#include "app/Base/NavigationController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"

void KKrallymultitudeViewController::installHeaderActions() {
    auto weak = weakSelf();
    // The banner changes the header's height: lay the grid out again once it settled.
    kkgrapeleap->loadBanner = [weak] {
        mainQueue().asyncAfter(0.2, [weak] {
            if (auto page = weak.lock()) {
                page->collectionView()->reloadData();
            }
        });
    };
    kkgrapeleap->clickCollect = [weak](bool selected) {
        if (auto page = weak.lock()) {
            page->collect(selected);
        }
    };
    kkgrapeleap->clickSwitch = [weak] {
        if (auto page = weak.lock()) {
            page->openSourcePopup();
        }
    };
    kkgrapeleap->clickFeedback = [weak] {
        if (auto page = weak.lock()) {
            page->openFeedback();
        }
    };
    kkgrapeleap->clickDown = [weak] {
        auto page = weak.lock();
        if (!page) {
            return;
        }
        // The picker covers the player: it pauses first, and closing the picker leaves it
        // paused until the person plays again.
        page->player()->pause();
        auto picker = std::make_shared<KKdeafproductViewController>();
        picker->type = page->type;
        picker->list = page->list;
        picker->json = page->json;
        picker->showWithAnimated(true);
    };
}

// ---- Favourite ----

// A tourist signs in first; anyone else adds or removes the title, and the button
// follows the service's answer (a failed request leaves it as it was).
void KKrallymultitudeViewController::collect(bool selected) {
    if (KKpresentationdisease::checkUserGroup()) {
        auto navigation =
            std::make_shared<NavigationController>(std::make_shared<KKmaximumdefyViewController>());
        navigation->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
        KKpresentationdisease::getCurrentVC()->presentViewController(navigation, true);
        return;
    }
    QMUITips::showLoadingInView(view());
    auto weak = weakSelf();
    apiClient.collectionState(vod_id, !selected,
                              [weak, selected](std::optional<JSON> answer, std::optional<NSError>) {
                                  auto page = weak.lock();
                                  if (!page || !answer) {
                                      return;
                                  }
                                  // The detail keeps the new state, so that a later redraw of the header
                                  // shows it.
                                  JSON::Storage detail = page->json.storage();
                                  if (detail.is_object()) {
                                      detail["is_collection"] = !selected;
                                      page->json = JSON(std::move(detail));
                                  }
                                  if (page->kkgrapeleap) {
                                      page->kkgrapeleap->kkpettyverdict()->setSelected(!selected);
                                  }
                              });
}

// ---- Play source ----

void KKrallymultitudeViewController::openSourcePopup() {
    player()->pause();
    auto popup = std::make_shared<KKproductstaircaseViewController>();
    popup->vod_id = vod_id;
    popup->type = type;
    auto weak = weakSelf();
    popup->clickSwitch = [weak](const std::string& chosen) {
        if (auto page = weak.lock()) {
            page->switchSource(chosen);
        }
    };
    popup->showWithAnimated(true);
}

// The title stays; its detail, playback record and the new source's episodes are loaded
// again, and the episode list's answer starts the episode of the playback record.
void KKrallymultitudeViewController::switchSource(const std::string& newType) {
    type = newType;
    // The episodes of the old source are not the new source's: the grid waits for its own.
    list.clear();
    collectionView()->reloadData();
    // Cached answers belong to their source.
    ensureCacheRecord();
    QMUITips::showLoadingInView(KKpresentationdisease::getCurrentVC()->view());
    auto weak = weakSelf();
    apiClient.getVideoInfo(vod_id, "", [weak](std::optional<JSON> answer, std::optional<NSError>) {
        if (auto page = weak.lock()) {
            page->handleDetail(answer);
        }
    });
    loadHistory();
    loadEpisodeList();
}

// ---- Feedback ----

void KKrallymultitudeViewController::openFeedback() {
    showViewController(std::make_shared<KKgracestimulateViewController>(), nullptr);
}

// ---- Rate panel ----

void KKrallymultitudeViewController::kkaggressivesubtle() {
    auto panel = KKobligesuicide::make();
    const auto& layer = player()->defaultEdgeControlLayer();
    layer->addSubview(panel);
    panel->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    std::weak_ptr<KKobligesuicide> weakPanel = panel;
    mainQueue().asyncAfter(0.1, [weakPanel] {
        if (auto shown = weakPanel.lock()) {
            shown->show();
        }
    });
    auto weak = weakSelf();
    const auto& buttons = panel->kkloungecandy()->arrangedSubviews();
    for (std::size_t position = 0; position < buttons.size(); ++position) {
        auto button = std::dynamic_pointer_cast<QMUIButton>(buttons[position]);
        if (!button) {
            break;
        }
        const float rate = KKobligesuicide::rateAt(position);
        if (player()->rate() == rate) {
            button->setTitleColor(hexColor("D73F3F", 1), UIControlStateNormal);
        }
        button->setQmui_tapBlock([weak, weakPanel, rate](UIControl&) {
            auto page = weak.lock();
            if (!page) {
                return;
            }
            page->player()->setRate(rate);
            if (auto shown = weakPanel.lock()) {
                shown->hide();
            }
        });
    }
}

// ---- Skip editor ----

void KKrallymultitudeViewController::openSkipEditor() {
    auto editor = KKjerkcouncil::make();
    editor->vod_id = vod_id;
    auto weak = weakSelf();
    // The observers skip by the edited values from the next tick on.
    editor->recordChanged = [weak] {
        if (auto page = weak.lock()) {
            auto found = KKreapedit::findFirst(ASAttributes{{"vod_id", page->vod_id}});
            if (found) {
                page->skipRecord_ = *found;
            }
        }
    };
    editor->loadRecord();
    const auto& layer = player()->defaultEdgeControlLayer();
    layer->addSubview(editor);
    editor->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
}
