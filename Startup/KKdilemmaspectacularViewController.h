#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/AVFoundation/AVPlayer.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/Foundation/Timer.h"

#include <memory>

// The splash page: plays the launch video "splash" over the whole screen (muted unless
// the user turned the launch sound on) and, when it has played to its end, hands the
// window to the main interface of the storyboard "Main". A video that cannot be played
// (a damaged or unplayable resource, a failing engine, or one that never gets ready)
// hands over as well, so that the user is never kept on the splash.
class KKdilemmaspectacularViewController : public BaseViewController {
  public:
    // Seconds the video may take to become ready to play before the page hands over.
    static constexpr double kReadyTimeout = 10;

    void viewDidLoad() override;

    const std::shared_ptr<AVPlayer>& player() const { return player_; }

    void playSplashVideo();
    // The video has played to its end.
    void kknickelcharacteristic();
    // The application came back to the foreground: the video goes on.
    void kkcharacteristicconversely();
    void switchToMain();

  private:
    void playerChanged(unsigned changes);

    std::shared_ptr<AVPlayer> player_ = AVPlayer::player();
    NotificationCenter::ObserverToken endObserver_;
    NotificationCenter::ObserverToken failureObserver_;
    NotificationCenter::ObserverToken activeObserver_;
    AVPlayer::ObserverToken playerObserver_;
    std::shared_ptr<Timer> readyTimer_;
    bool handedOver_ = false;
};
