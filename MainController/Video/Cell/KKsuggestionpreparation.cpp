#include "MainController/Video/Cell/KKsuggestionpreparation.h"

#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

void KKsuggestionpreparation::setupViews() {
    setBackgroundColor(UIColor::blackColor());
    player_ = SJBaseVideoPlayer::player<KKSuper>();
    setupPlayer();

    const auto& content = contentView();
    content->addSubview(player_->view());
    player_->view()->mas_makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });

    playImageView_ = std::make_shared<UIImageView>(UIImage::imageNamed("play"));
    playImageView_->setAlpha(0.5);
    playImageView_->setHidden(true);
    content->addSubview(playImageView_);
    playImageView_->mas_makeConstraints([](ConstraintMaker& make) { make.center.equalToSuperview(); });

    coverImageView_ = std::make_shared<UIImageView>();
    coverImageView_->setContentMode(UIViewContentMode::scaleAspectFit);
    content->addSubview(coverImageView_);
    coverImageView_->mas_makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
}

void KKsuggestionpreparation::setupPlayer() {
    auto& observer = player_->playbackObserver();
    observer.playbackDidFinishExeBlock = [](SJBaseVideoPlayer& player) { player.replay(); };
    player_->gestureController().setSupportedGestureTypes(SJPlayerGestureTypeMask_SingleTap);

    std::weak_ptr<KKSuper> weakPlayer = player_;
    player_->gestureController().singleTapHandler = [weakPlayer](SJPlayerGestureController&, CGPoint) {
        const auto player = weakPlayer.lock();
        if (!player) {
            return;
        }
        if (player->isPaused()) {
            player->play();
        } else {
            player->pauseForUser();
        }
    };

    std::weak_ptr<KKsuggestionpreparation> weakCell =
        std::static_pointer_cast<KKsuggestionpreparation>(shared_from_this());
    observer.playbackStatusDidChangeExeBlock = [weakCell](SJBaseVideoPlayer&) {
        if (const auto cell = weakCell.lock()) {
            cell->playbackStatusDidChange();
        }
    };
}

void KKsuggestionpreparation::playbackStatusDidChange() {
    playImageView_->setHidden(player_->isPlayed() ? !player_->isPaused() : true);
    coverImageView_->setHidden(player_->assetStatus() == SJAssetStatusReadyToPlay);
    // Only the video the feed asked to play reports its failure, in its own cell; a
    // neighbour that fails while it is being prepared says so once it is played.
    if (player_->assetStatus() == SJAssetStatusFailed && player_->isPlayed()) {
        QMUITips::showError(errorText, contentView());
    }
}

void KKsuggestionpreparation::setCoverUrl(const std::string& url) {
    sd_setImageWithURL(coverImageView_, url);
}
