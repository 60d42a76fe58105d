#include "MainController/Video/Cell/KKSuper.h"

#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

void KKSuper::init() {
    SJBaseVideoPlayer::init();
    setPausedInBackground(true);
    setAutoplayWhenSetNewAsset(false);
    setResumePlaybackWhenScrollAppeared(false);
    view()->setBackgroundColor(UIColor::clearColor());
    rotationManager().setDisabledAutorotation(true);
    setResumePlaybackWhenAppDidEnterForeground(false);
    setVideoGravity(AVLayerVideoGravityResizeAspect);
    presentView()->setBackgroundColor(UIColor::clearColor());
    presentView()->hiddenPlaceholderImageViewAnimated(false);
}

void KKSuper::configureWithURL(const std::string& url) {
    stop();
    const auto playbackURL = SJMediaCacheServer::shared().playbackURLWithURL(url);
    setURLAsset(SJVideoPlayerURLAsset::initWithURL(playbackURL.value_or(url), 0));
}
