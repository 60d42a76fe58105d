#include "platform/SDWebImage/UIButton+WebCache.h"

namespace {
std::string slotFor(UIControlState state) {
    return "image." + std::to_string(state);
}
} // namespace

void sd_setImageWithURL(const std::shared_ptr<UIButton>& button, const std::string& url, UIControlState state,
                        const std::shared_ptr<UIImage>& placeholderImage, SDWebImageOptions options,
                        webimage::SDExternalCompletionBlock completed) {
    if (!button) {
        return;
    }
    std::weak_ptr<UIButton> weak = button;
    webimage::load(
        *button, slotFor(state), url, placeholderImage, options,
        [weak, state](const std::shared_ptr<UIImage>& image) {
            if (auto view = weak.lock()) {
                view->setImage(image, state);
            }
        },
        std::move(completed));
}

void sd_cancelImageLoadForState(const std::shared_ptr<UIButton>& button, UIControlState state) {
    if (button) {
        webimage::cancel(*button, slotFor(state));
    }
}
