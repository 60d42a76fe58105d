#pragma once

#include "platform/SDWebImage/WebImageLoads.h"
#include "platform/UIKit/Controls/UIButton.h"

#include <memory>
#include <string>

// Web images for a button's image of one control state, as for image views: the
// placeholder first, the image when it arrives, each call cancelling the previous load
// for that state. Main thread only.
void sd_setImageWithURL(const std::shared_ptr<UIButton>& button, const std::string& url, UIControlState state,
                        const std::shared_ptr<UIImage>& placeholderImage = nullptr,
                        SDWebImageOptions options = 0, webimage::SDExternalCompletionBlock completed = {});
void sd_cancelImageLoadForState(const std::shared_ptr<UIButton>& button, UIControlState state);
