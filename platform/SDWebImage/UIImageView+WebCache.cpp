#include "platform/SDWebImage/UIImageView+WebCache.h"

namespace {
const std::string kImageSlot = "image";
} // namespace

void sd_setImageWithURL(const std::shared_ptr<UIImageView>& imageView, const std::string& url,
                        const std::shared_ptr<UIImage>& placeholderImage, SDWebImageOptions options,
                        SDExternalCompletionBlock completed) {
    if (!imageView) {
        return;
    }
    std::weak_ptr<UIImageView> weak = imageView;
    webimage::load(
        *imageView, kImageSlot, url, placeholderImage, options,
        [weak](const std::shared_ptr<UIImage>& image) {
            if (auto view = weak.lock()) {
                view->setImage(image);
            }
        },
        std::move(completed));
}

void sd_setImageWithURL(const std::shared_ptr<UIImageView>& imageView, const std::string& url,
                        const std::shared_ptr<UIImage>& placeholderImage,
                        SDExternalCompletionBlock completed) {
    sd_setImageWithURL(imageView, url, placeholderImage, 0, std::move(completed));
}

void sd_cancelCurrentImageLoad(const std::shared_ptr<UIImageView>& imageView) {
    if (imageView) {
        webimage::cancel(*imageView, kImageSlot);
    }
}

std::optional<std::string> sd_imageURL(const std::shared_ptr<UIImageView>& imageView) {
    return imageView ? webimage::url(*imageView, kImageSlot) : std::nullopt;
}
