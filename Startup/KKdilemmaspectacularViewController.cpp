#include "Startup/KKdilemmaspectacularViewController.h"

#include "Startup/AppDelegate.h"
#include "platform/AVFoundation/AVPlayerLayer.h"
#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/PercentEncoding.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/UIKit/Controllers/UIStoryboard.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

#include <cstdio>
#include <cstdlib>

namespace {

template <class Controller> std::weak_ptr<Controller> weakOf(Controller& controller) {
    return std::static_pointer_cast<Controller>(controller.shared_from_this());
}

} // namespace

void KKdilemmaspectacularViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    UserDefaults::standard().setBool("showAD", true);
    playSplashVideo();
}

void KKdilemmaspectacularViewController::playSplashVideo() {
    const auto path = Bundle::main().pathForResource("splash", "mp4");
    if (!path) {
        std::fprintf(
            stderr,
            "Fatal error: the launch video \"splash.mp4\" is missing from the application's resources\n");
        std::abort();
    }
    // A proper file URL: a resources folder whose path holds a space, "%" or Chinese
    // characters still names the video.
    player_ = AVPlayer::playerWithPlayerItem(
        AVPlayerItem::playerItemWithURL(fileURLWithPath(std::filesystem::absolute(*path))));
    if (!UserDefaults::standard().boolForKey("openLaunchSound")) {
        player_->setVolume(0.0f);
    }

    auto playerLayer = AVPlayerLayer::playerLayerWithPlayer(player_);
    playerLayer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    playerLayer->setFrame(UIScreen::mainScreen().bounds());
    view()->layer()->insertSublayer(playerLayer, 0);
    player_->play();

    const auto weakSelf = weakOf(*this);
    endObserver_ = NotificationCenter::defaultCenter().addObserver(AVPlayerItemDidPlayToEndTimeNotification,
                                                                   [weakSelf](const Notification&) {
                                                                       if (auto self = weakSelf.lock()) {
                                                                           self->kknickelcharacteristic();
                                                                       }
                                                                   });
    activeObserver_ = NotificationCenter::defaultCenter().addObserver(
        UIApplicationDidBecomeActiveNotification, [weakSelf](const Notification&) {
            if (auto self = weakSelf.lock()) {
                self->kkcharacteristicconversely();
            }
        });

    // A video that cannot be played must not keep the user here: hand over when the item
    // fails, before or after it became ready, or when it is not ready in time.
    failureObserver_ = NotificationCenter::defaultCenter().addObserver(
        AVPlayerItemFailedToPlayToEndTimeNotification, [weakSelf](const Notification&) {
            if (auto self = weakSelf.lock()) {
                self->switchToMain();
            }
        });
    playerObserver_ = player_->addObserver([weakSelf](AVPlayer&, unsigned changes) {
        if (auto self = weakSelf.lock()) {
            self->playerChanged(changes);
        }
    });
    readyTimer_ = Timer::scheduledTimer(kReadyTimeout, false, [weakSelf](Timer&) {
        if (auto self = weakSelf.lock()) {
            self->switchToMain();
        }
    });
}

void KKdilemmaspectacularViewController::playerChanged(unsigned changes) {
    if (!(changes & (AVPlayerChangeItem | AVPlayerChangeItemStatus)) || !player_->currentItem()) {
        return;
    }
    switch (player_->currentItem()->status()) {
    case AVPlayerItemStatusReadyToPlay:
        readyTimer_.reset();
        break;
    case AVPlayerItemStatusFailed:
        switchToMain();
        break;
    case AVPlayerItemStatusUnknown:
        break;
    }
}

void KKdilemmaspectacularViewController::kkcharacteristicconversely() {
    player_->play();
}

void KKdilemmaspectacularViewController::kknickelcharacteristic() {
    switchToMain();
}

void KKdilemmaspectacularViewController::switchToMain() {
    if (handedOver_) {
        return;
    }
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool("clearAD", false);
    if (defaults.boolForKey("about_ad")) {
        defaults.setBool("clearAD", true);
    }

    const auto storyboard = UIStoryboard::storyboardWithName("Main");
    const auto main = storyboard ? storyboard->instantiateInitialViewController() : nullptr;
    if (!main) {
        return;
    }
    const auto delegate =
        std::dynamic_pointer_cast<AppDelegate>(UIApplication::sharedApplication()->delegate());
    if (delegate && delegate->window) {
        handedOver_ = true;
        readyTimer_.reset();
        // Keeps this page alive until the window has let go of it.
        const auto self = shared_from_this();
        delegate->window->setRootViewController(main);
        delegate->window->makeKeyAndVisible();
    }
}
