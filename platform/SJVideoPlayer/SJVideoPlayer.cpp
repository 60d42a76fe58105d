#include "platform/SJVideoPlayer/SJVideoPlayer.h"

#include "platform/SJVideoPlayer/SJMoreSettingsPanel.h"
#include "platform/SnapKit/ConstraintMaker.h"

#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UIViewController.h"

namespace {

// The controller whose view holds `view`, through the responder chain.
std::shared_ptr<UIViewController> owningController(const std::shared_ptr<UIView>& view) {
    for (std::shared_ptr<UIResponder> responder = view; responder; responder = responder->nextResponder()) {
        if (auto controller = std::dynamic_pointer_cast<UIViewController>(responder)) {
            return controller;
        }
    }
    return nullptr;
}

} // namespace

SJVideoPlayer::~SJVideoPlayer() = default;

void SJVideoPlayer::init() {
    SJBaseVideoPlayer::init();
    edgeControlLayer_ = SJEdgeControlLayer::make();
    setControlView(edgeControlLayer_);
    wireItems();
    observe();
    showState();
}

void SJVideoPlayer::wireItems() {
    std::weak_ptr<SJVideoPlayer> weak = std::static_pointer_cast<SJVideoPlayer>(shared_from_this());
    auto on = [&](const std::shared_ptr<SJEdgeControlButtonItemAdapter>& adapter,
                  SJEdgeControlButtonItemTag tag, void (*action)(SJVideoPlayer&)) {
        if (auto item = adapter->itemForTag(tag)) {
            item->addAction([weak, action](SJEdgeControlButtonItem&) {
                if (auto player = weak.lock()) {
                    player->controlLayerAppearManager().needAppear();
                    action(*player);
                }
            });
        }
    };
    SJEdgeControlLayer& layer = *edgeControlLayer_;
    on(layer.topAdapter(), SJEdgeControlLayerTopItem_Back, [](SJVideoPlayer& player) { player.leave(); });
    on(layer.bottomAdapter(), SJEdgeControlLayerBottomItem_Play,
       [](SJVideoPlayer& player) { player.isPaused() ? player.play() : player.pauseForUser(); });
    on(layer.bottomAdapter(), SJEdgeControlLayerBottomItem_Full,
       [](SJVideoPlayer& player) { player.rotationManager().rotate(); });
    on(layer.centerAdapter(), SJEdgeControlLayerCenterItem_Replay,
       [](SJVideoPlayer& player) { player.replay(); });
    on(layer.topAdapter(), SJEdgeControlLayerTopItem_More,
       [](SJVideoPlayer& player) { player.showMoreSettings(); });

    SJProgressSlider& slider = *layer.progressSlider();
    slider.onDragBegan = [weak](SJProgressSlider&) {
        if (auto player = weak.lock()) {
            player->controlLayerAppearManager().needAppear();
            player->controlLayerAppearManager().keepAppearState();
        }
    };
    slider.onDragChanged = [weak](SJProgressSlider& dragged) {
        if (auto player = weak.lock()) {
            player->edgeControlLayer_->setCurrentTime(dragged.value());
        }
    };
    slider.onDragEnded = [weak](SJProgressSlider& dragged) {
        if (auto player = weak.lock()) {
            player->controlLayerAppearManager().resume();
            if (player->duration() > 0) {
                player->seekToTime(dragged.value());
            }
        }
    };
}

void SJVideoPlayer::observe() {
    std::weak_ptr<SJVideoPlayer> weak = std::static_pointer_cast<SJVideoPlayer>(shared_from_this());
    auto refresh = [weak](SJBaseVideoPlayer&) {
        if (auto player = weak.lock()) {
            player->showState();
        }
    };
    playbackObservation_ = getPlaybackObserver();
    SJPlaybackObservation& playback = *playbackObservation_;
    playback.URLAssetDidChangeExeBlock = refresh;
    playback.playbackStatusDidChangeExeBlock = refresh;
    playback.durationDidChangeExeBlock = refresh;
    playback.playableDurationDidChangeExeBlock = refresh;
    playback.currentTimeDidChangeExeBlock = [weak](SJBaseVideoPlayer& observed) {
        if (auto player = weak.lock(); player && !player->edgeControlLayer_->progressSlider()->isDragging()) {
            player->edgeControlLayer_->setCurrentTime(observed.currentTime());
        }
    };
    playback.playbackDidFinishExeBlock = [weak](SJBaseVideoPlayer&) {
        if (auto player = weak.lock()) {
            player->showState();
            player->controlLayerAppearManager().needAppear();
        }
    };

    rotationObservation_ = rotationManager().getObserver();
    rotationObservation_->onTransitioningChanged = [weak](SJRotationManager&, bool) {
        if (auto player = weak.lock()) {
            player->showFullscreenState();
        }
    };

    appearObservation_ = controlLayerAppearManager().getObserver();
    appearObservation_->onAppearChanged = [weak](SJControlLayerAppearManager& manager) {
        if (auto player = weak.lock()) {
            player->edgeControlLayer_->setAppeared(manager.isAppeared(), true);
        }
    };
}

void SJVideoPlayer::showState() {
    SJEdgeControlLayer& layer = *edgeControlLayer_;
    const auto& asset = URLAsset();
    layer.setTitle(asset ? asset->title() : std::string());
    layer.setPlaying(!isPaused());
    layer.setLoading(isBuffering() || (isPlayed() && assetStatus() == SJAssetStatusPreparing));
    layer.setReplayShown(isPlaybackFinished());
    layer.setDuration(duration());
    layer.setPlayableDuration(playableDuration());
    if (!layer.progressSlider()->isDragging()) {
        layer.setCurrentTime(currentTime());
    }
    layer.setAppeared(controlLayerAppearManager().isAppeared(), false);
}

void SJVideoPlayer::showFullscreenState() {
    const bool fullscreen = isFullscreen();
    edgeControlLayer_->setFullscreen(fullscreen, SJRotationManager::landscapeSafeAreaInsets());
    UIEdgeInsets prompts = promptingPopupController().contentInsets();
    const UIEdgeInsets safe = fullscreen ? SJRotationManager::landscapeSafeAreaInsets() : UIEdgeInsets{};
    prompts.left = 16 + safe.left;
    prompts.bottom = 60 + safe.bottom;
    promptingPopupController().setContentInsets(prompts);
}

void SJVideoPlayer::seekDraggingDidChange(std::optional<double> target) {
    edgeControlLayer_->setCurrentTime(target ? *target : currentTime());
}

void SJVideoPlayer::showMoreSettings() {
    std::weak_ptr<SJVideoPlayer> weak = std::static_pointer_cast<SJVideoPlayer>(shared_from_this());
    auto panel = SJMoreSettingsPanel::make(rate(), [weak](float rate) {
        if (auto player = weak.lock()) {
            player->setRate(rate);
        }
    });
    edgeControlLayer_->addSubview(panel);
    panel->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    controlLayerAppearManager().needDisappear();
}

void SJVideoPlayer::leave() {
    if (isFullscreen()) {
        rotationManager().rotate();
        return;
    }
    auto controller = owningController(view());
    if (!controller) {
        return;
    }
    if (auto navigation = controller->navigationController();
        navigation && navigation->viewControllers().size() > 1) {
        navigation->popViewControllerAnimated(true);
    } else if (controller->presentingViewController()) {
        controller->dismissViewControllerAnimated(true);
    }
}
