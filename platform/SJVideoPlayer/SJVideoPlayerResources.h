#pragma once

#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIFont.h"
#include "platform/UIKit/UIImage.h"

#include <functional>
#include <memory>
#include <string>

// Posted after the shared resources changed, for the players on screen to take them.
inline const std::string SJVideoPlayerResourcesDidChangeNotification =
    "SJVideoPlayerResourcesDidChangeNotification";

// The look every player's controls share: the control images (the framework's own white
// drawings unless replaced), the text style and the progress bar's colours and thumb.
struct SJVideoPlayerResources {
    std::shared_ptr<UIImage> backImage;
    std::shared_ptr<UIImage> playImage;
    std::shared_ptr<UIImage> pauseImage;
    std::shared_ptr<UIImage> fullscreenImage;
    std::shared_ptr<UIImage> smallScreenImage;
    std::shared_ptr<UIImage> moreImage;
    std::shared_ptr<UIImage> replayImage;

    UIColor textColor = UIColor::whiteColor();
    UIFont titleFont = UIFont::systemFontOfSize(14);
    UIFont timeFont = UIFont::systemFontOfSize(11);

    // The progress bar: the track, the loaded part, the played part and the thumb.
    UIColor progressTrackColor = UIColor::colorWithWhite(1, 0.3);
    UIColor progressBufferColor = UIColor::colorWithWhite(1, 0.55);
    UIColor progressTraceColor = UIColor::colorWithRed(0.18, 0.6, 1.0, 1);
    UIColor progressThumbColor = UIColor::whiteColor();
    std::shared_ptr<UIImage> progressThumbImage;
    CGFloat progressThumbSize = 12;
    CGFloat progressTrackHeight = 3;

    // The thin progress line shown while the controls are hidden.
    UIColor bottomIndicatorTrackColor = UIColor::colorWithWhite(1, 0.3);
    UIColor bottomIndicatorTraceColor = UIColor::colorWithRed(0.18, 0.6, 1.0, 1);
    CGFloat bottomIndicatorHeight = 2;

    // The resources of every player (made on first use, with the framework's images).
    static SJVideoPlayerResources& shared();
    // Changes the shared resources and has every player show them.
    static void update(const std::function<void(SJVideoPlayerResources& resources)>& block);
};
