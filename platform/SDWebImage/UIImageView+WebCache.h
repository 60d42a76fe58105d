#pragma once

#include "platform/SDWebImage/WebImageLoads.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

using SDExternalCompletionBlock = webimage::SDExternalCompletionBlock;

// Web images for image views: the placeholder shows at once (nothing when none), the
// image replaces it when it arrives; a failed load leaves the placeholder. Each call
// cancels the image view's previous load. An empty or non-http(s) address fails with
// SDWebImageErrorInvalidURL. Main thread only.
void sd_setImageWithURL(const std::shared_ptr<UIImageView>& imageView, const std::string& url,
                        const std::shared_ptr<UIImage>& placeholderImage = nullptr,
                        SDWebImageOptions options = 0, SDExternalCompletionBlock completed = {});
void sd_setImageWithURL(const std::shared_ptr<UIImageView>& imageView, const std::string& url,
                        const std::shared_ptr<UIImage>& placeholderImage,
                        SDExternalCompletionBlock completed);
// Without a placeholder, answering `completed` (anything callable like SDExternalCompletionBlock).
template <
    class Completion,
    class = std::enable_if_t<std::is_invocable_v<
        Completion&, std::shared_ptr<UIImage>, std::optional<NSError>, SDImageCacheType, const std::string&>>>
void sd_setImageWithURL(const std::shared_ptr<UIImageView>& imageView, const std::string& url,
                        Completion&& completed) {
    sd_setImageWithURL(imageView, url, nullptr, 0,
                       SDExternalCompletionBlock(std::forward<Completion>(completed)));
}
void sd_cancelCurrentImageLoad(const std::shared_ptr<UIImageView>& imageView);
// The address the image view loads or last loaded through these calls.
std::optional<std::string> sd_imageURL(const std::shared_ptr<UIImageView>& imageView);
