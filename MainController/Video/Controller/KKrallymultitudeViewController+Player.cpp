// The player of the page: its construction and the page's reactions to its playback
// (full-screen items, outro and intro skipping, the next episode, the engine switch and
// the learnt duration).
#include "MainController/Video/Controller/KKrallymultitudeViewController.h"

#include "MainController/Video/Model/EpisodeStartRules.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

#include <cmath>

namespace {

constexpr SJEdgeControlButtonItemTag rateItemTag = 1000;
constexpr SJEdgeControlButtonItemTag routePickerItemTag = 1001;
constexpr SJEdgeControlButtonItemTag episodesItemTag = 1002;
constexpr SJEdgeControlButtonItemTag skipEditorItemTag = 1010;

std::shared_ptr<QMUIButton> fullscreenBarButton(const std::string& base64Title) {
    auto button = std::make_shared<QMUIButton>();
    button->setTitle(EpisodeStartRules::decodedText(base64Title), UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
    button->setContentEdgeInsets(UIEdgeInsets{});
    button->sizeToFit();
    return button;
}

} // namespace

// ---- Construction ----

const std::shared_ptr<SJVideoPlayer>& KKrallymultitudeViewController::player() {
    if (!player_) {
        player_ = SJVideoPlayer::player();
        player_->setPausedInBackground(true);
        player_->setRateWhenLongPressGestureTriggered(2.0);
        player_->controlLayerAppearManager().setInterval(5.0);
        const auto& layer = player_->defaultEdgeControlLayer();
        layer->setShowsMoreItem(false);
        player_->setDelayInSecondsForHiddenPlaceholderImageView(0);
        player_->setAutomaticallyPerformRotationOrFitOnScreen(true);
        layer->setHiddenBottomProgressIndicator(true);
        player_->presentView()->placeholderImageView()->setContentMode(UIViewContentMode::scaleAspectFill);
        auto& gestures = player_->gestureController();
        gestures.setSupportedGestureTypes(gestures.supportedGestureTypes() | 0x10);
        layer->topAdapter()->addItemsFromArray(
            {SJEdgeControlButtonItem::initWithCustomView(kksightseeingtransfer(), routePickerItemTag),
             SJEdgeControlButtonItem::initWithCustomView(kktransferessence(), skipEditorItemTag)});
    }
    return player_;
}

const std::shared_ptr<UIView>& KKrallymultitudeViewController::kksightseeingtransfer() {
    if (!kksightseeingtransfer_) {
        kksightseeingtransfer_ = std::make_shared<UIView>(CGRect{{0, 0}, {49, 49}});
        kksightseeingtransfer_->addSubview(kkhoneysightseeing());
        kkhoneysightseeing_->snp.makeConstraints([](ConstraintMaker& make) {
            make.center.equalToSuperview();
            make.width.height().equalTo(18);
        });
    }
    return kksightseeingtransfer_;
}

const std::shared_ptr<AVRoutePickerView>& KKrallymultitudeViewController::kkhoneysightseeing() {
    if (!kkhoneysightseeing_) {
        kkhoneysightseeing_ = std::make_shared<AVRoutePickerView>();
        kkhoneysightseeing_->setPrioritizesVideoDevices(true);
        kkhoneysightseeing_->setTintColor(UIColor::whiteColor());
        kkhoneysightseeing_->delegate =
            std::static_pointer_cast<AVRoutePickerViewDelegate>(weakSelf().lock());
    }
    return kkhoneysightseeing_;
}

// The skip editor.
const std::shared_ptr<QMUIButton>& KKrallymultitudeViewController::kktransferessence() {
    if (!kktransferessence_) {
        kktransferessence_ = std::make_shared<QMUIButton>();
        kktransferessence_->setAccessibilityIdentifier("player.skipEditor");
        kktransferessence_->setImage(UIImage::imageNamed("jump"), UIControlStateNormal);
        kktransferessence_->setContentEdgeInsets(UIEdgeInsets{0, 0, 0, 10});
        kktransferessence_->sizeToFit();
        auto weak = weakSelf();
        kktransferessence_->setQmui_tapBlock([weak](UIControl&) {
            if (auto page = weak.lock()) {
                page->openSkipEditor();
            }
        });
    }
    return kktransferessence_;
}

// "倍速": the rate panel.
const std::shared_ptr<QMUIButton>& KKrallymultitudeViewController::kksupplementaryaggressive() {
    if (!kksupplementaryaggressive_) {
        kksupplementaryaggressive_ = fullscreenBarButton("5YCN6YCf");
        auto weak = weakSelf();
        kksupplementaryaggressive_->setQmui_tapBlock([weak](UIControl&) {
            if (auto page = weak.lock()) {
                page->kkaggressivesubtle();
            }
        });
    }
    return kksupplementaryaggressive_;
}

// "选集": the episode strip.
const std::shared_ptr<QMUIButton>& KKrallymultitudeViewController::kksubtleemployment() {
    if (!kksubtleemployment_) {
        kksubtleemployment_ = fullscreenBarButton("6YCJ6ZuG");
        auto weak = weakSelf();
        kksubtleemployment_->setQmui_tapBlock([weak](UIControl&) {
            if (auto page = weak.lock()) {
                page->openEpisodeStrip();
            }
        });
    }
    return kksubtleemployment_;
}

void KKrallymultitudeViewController::setupPlayer() {
    SJVideoPlayer::updateResources([](SJVideoPlayerResources& resources) {
        resources.progressTrackColor = UIColor::colorWithWhite(0.8, 1);
        resources.progressThumbImage = UIImage::imageNamed("thumb");
        resources.progressBufferColor = UIColor::whiteColor();
        resources.progressThumbSize = 8;
    });
    if (auto replay = player()->defaultEdgeControlLayer()->centerAdapter()->itemForTag(
            SJEdgeControlLayerCenterItem_Replay)) {
        replay->setAlpha(0);
    }
    installObservers();
}

void KKrallymultitudeViewController::installObservers() {
    auto weak = weakSelf();
    rotationObservation_ = player()->rotationManager().getObserver();
    rotationObservation_->onTransitioningChanged = [weak](SJRotationManager& manager, bool isTransitioning) {
        if (auto page = weak.lock()) {
            page->rotationTransitioningChanged(manager, isTransitioning);
        }
    };
    auto& observer = player()->playbackObserver();
    auto forward = [weak](void (KKrallymultitudeViewController::*reaction)()) {
        return [weak, reaction](SJBaseVideoPlayer&) {
            if (auto page = weak.lock()) {
                ((*page).*reaction)();
            }
        };
    };
    observer.currentTimeDidChangeExeBlock = forward(&KKrallymultitudeViewController::currentTimeDidChange);
    observer.playbackDidFinishExeBlock = forward(&KKrallymultitudeViewController::playbackDidFinish);
    observer.playbackStatusDidChangeExeBlock =
        forward(&KKrallymultitudeViewController::playbackStatusDidChange);
    observer.timeControlStatusDidChangeExeBlock =
        forward(&KKrallymultitudeViewController::timeControlStatusDidChange);
    observer.durationDidChangeExeBlock = forward(&KKrallymultitudeViewController::durationDidChange);
}

// ---- Reactions ----

void KKrallymultitudeViewController::rotationTransitioningChanged(SJRotationManager& manager,
                                                                  bool isTransitioning) {
    if (!isTransitioning) {
        return;
    }
    const auto& bar = player()->defaultEdgeControlLayer()->bottomAdapter();
    if (manager.isFullscreen()) {
        if (isFull) {
            return;
        }
        isFull = true;
        bar->addItem(SJEdgeControlButtonItem::initWithCustomView(kksupplementaryaggressive(), rateItemTag));
        bar->exchangeItemForTag(SJEdgeControlLayerBottomItem_Full, rateItemTag);
        if (list.size() >= 2) {
            auto episodes =
                SJEdgeControlButtonItem::initWithCustomView(kksubtleemployment(), episodesItemTag);
            episodes->setInsets(SJEdgeInsets{12, 0});
            bar->addItem(episodes);
            bar->exchangeItemForTag(SJEdgeControlLayerBottomItem_Full, episodesItemTag);
        }
    } else {
        isFull = false;
        bar->removeItemForTag(rateItemTag);
        bar->removeItemForTag(episodesItemTag);
    }
    bar->reload();
}

void KKrallymultitudeViewController::currentTimeDidChange() {
    auto& shown = *player();
    if (auto platform = std::dynamic_pointer_cast<SJAVMediaPlaybackController>(shown.playbackController());
        platform && platform->currentPlayer()) {
        const bool external = platform->currentPlayer()->avPlayer()->isExternalPlaybackActive();
        kkdissolveconfine()->setHidden(!external);
        shown.setPausedInBackground(!external);
    }
    // The outro is skipped only for media of a known length and a record that asks for it.
    const double duration = shown.duration();
    if (!skipRecord_ || skipRecord_->endProgress <= 0 || !std::isfinite(duration) || duration <= 0) {
        return;
    }
    const double remaining = duration - shown.currentTime() - skipRecord_->endProgress;
    if (remaining - 10 <= 0 && !isSeekEnd) {
        isSeekEnd = true;
        showPrompt("10s后为您跳过片尾 [取消]", NSRange{11, 4}, 10.0);
        const auto prompts = shown.promptingPopupController().displayingViews();
        if (!prompts.empty()) {
            auto weak = weakSelf();
            addTapAction(*prompts.back(), [weak](UITapGestureRecognizer&) {
                if (auto page = weak.lock()) {
                    page->player()->promptingPopupController().clear();
                    page->isClearEnd = true;
                }
            });
        }
    }
    if (remaining <= 0 && !isClearEnd && !seekedToOutroEnd_) {
        seekedToOutroEnd_ = true;
        shown.seekToTime(duration);
        shown.promptingPopupController().clear();
    }
}

void KKrallymultitudeViewController::playbackDidFinish() {
    if (list.size() < 2) {
        return;
    }
    index = NSIndexPath::indexPathForItem(index.item + 1, 0);
    if (index.item < static_cast<long>(list.size())) {
        chooseEpisode(index);
        return;
    }
    if (auto replay = player()->defaultEdgeControlLayer()->centerAdapter()->itemForTag(
            SJEdgeControlLayerCenterItem_Replay)) {
        replay->setAlpha(1);
    }
    collectionView()->reloadData();
}

void KKrallymultitudeViewController::playbackStatusDidChange() {
    if (player()->timeControlStatus() != SJPlaybackTimeControlStatusPlaying || isSeek) {
        return;
    }
    isSeek = true;
    if (!skipRecord_ || !kkquestcommunicate) {
        return;
    }
    const double start = skipRecord_->startProgress;
    if (start > kkquestcommunicate->position) {
        player()->seekToTime(start);
        showPrompt("已为你跳过片头", std::nullopt, std::nullopt);
    }
}

void KKrallymultitudeViewController::timeControlStatusDidChange() {
    if (player()->assetStatus() != SJAssetStatusFailed) {
        return;
    }
    changeCount += 1;
    if (changeCount == 5) {
        isChangePlayer = true;
        player()->setPlaybackController(std::make_shared<SJAliMediaPlaybackController>());
        restartCurrentEpisode();
    }
}

void KKrallymultitudeViewController::durationDidChange() {
    if (!kkquestcommunicate) {
        return;
    }
    if (auto text = EpisodeStartRules::durationText(player()->duration())) {
        kkquestcommunicate->duration = *text;
        (void)SJPlaybackHistoryController::shared().save(*kkquestcommunicate);
    }
}
