#pragma once

#include "platform/SDWebImage/SDWebImageManager.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class UIView;

// The one image load each slot of a view (an image view's image, a button's image for a
// state) has running. A new load for a slot cancels the one before, and a load that was
// overtaken or cancelled never shows its image, so a reused cell never shows the image
// meant for the row it showed before. Main thread only.
namespace webimage {

using Apply = std::function<void(const std::shared_ptr<UIImage>& image)>;
using SDExternalCompletionBlock = SDWebImageManager::Completion;

// Shows `placeholder` (or the image at once when the memory cache has it), then loads
// `url` and shows the image when it arrives.
void load(UIView& view, const std::string& slot, const std::string& url,
          const std::shared_ptr<UIImage>& placeholder, SDWebImageOptions options, Apply apply,
          SDExternalCompletionBlock completed);
void cancel(const UIView& view, const std::string& slot);
// The address the slot loads or last loaded.
std::optional<std::string> url(const UIView& view, const std::string& slot);

} // namespace webimage
