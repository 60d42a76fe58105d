#pragma once

#include "MainController/Video/Cell/KKSuper.h"
#include "platform/UIKit/Controls/UICollectionViewCell.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <string>

// One page of the short-video feed: its own player filling the cell, a play icon shown
// exactly while a started video is paused, and the cover shown until the video is ready.
// A tap toggles between playing and a pause the feed respects; videos loop. Made by
// create() (the views need the cell to be owned already).
class KKsuggestionpreparation : public UICollectionViewCell {
  public:
    static constexpr const char* errorText = "发生错误找不到资源";

    using UICollectionViewCell::UICollectionViewCell;

    const std::shared_ptr<KKSuper>& player() const { return player_; }
    const std::shared_ptr<UIImageView>& playImageView() const { return playImageView_; }
    void setPlayImageView(std::shared_ptr<UIImageView> view) { playImageView_ = std::move(view); }
    const std::shared_ptr<UIImageView>& coverImageView() const { return coverImageView_; }
    void setCoverImageView(std::shared_ptr<UIImageView> view) { coverImageView_ = std::move(view); }

    // Loads the cover picture (nothing for a text that is not a web address, which also
    // clears the picture of an earlier item).
    void setCoverUrl(const std::string& url);

  protected:
    // Builds the player, the play icon and the cover; subclasses call it first.
    virtual void setupViews();

  private:
    void setupPlayer();
    void playbackStatusDidChange();

    std::shared_ptr<KKSuper> player_;
    std::shared_ptr<UIImageView> playImageView_;
    std::shared_ptr<UIImageView> coverImageView_;
};
