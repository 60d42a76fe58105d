#include "platform/SDWebImage/WebImageLoads.h"

#include "platform/SDWebImage/SDWebImageError.h"
#include "platform/UIKit/UIView.h"

#include <cstdint>
#include <map>
#include <utility>

namespace webimage {

namespace {

struct Load {
    std::uint64_t token = 0;
    std::string url;
    std::shared_ptr<SDWebImageCombinedOperation> operation;
};

using Key = std::pair<const UIView*, std::string>;

std::map<Key, Load>& loads() {
    static std::map<Key, Load> table;
    return table;
}

std::uint64_t nextToken() {
    static std::uint64_t token = 0;
    return ++token;
}

// Forgets the slot's load when it is still the one with `token`.
bool finish(const Key& key, std::uint64_t token) {
    auto found = loads().find(key);
    if (found == loads().end() || found->second.token != token) {
        return false;
    }
    loads().erase(found);
    return true;
}

} // namespace

void cancel(const UIView& view, const std::string& slot) {
    auto found = loads().find({&view, slot});
    if (found == loads().end()) {
        return;
    }
    if (found->second.operation) {
        found->second.operation->cancel();
    }
    loads().erase(found);
}

std::optional<std::string> url(const UIView& view, const std::string& slot) {
    auto found = loads().find({&view, slot});
    if (found == loads().end()) {
        return std::nullopt;
    }
    return found->second.url;
}

void load(UIView& view, const std::string& slot, const std::string& address,
          const std::shared_ptr<UIImage>& placeholder, SDWebImageOptions options, Apply apply,
          SDExternalCompletionBlock completed) {
    cancel(view, slot);
    SDWebImageManager& manager = SDWebImageManager::sharedManager();
    // An image already in memory shows at once, without the placeholder in between.
    if (SDWebImageManager::isLoadableURL(address)) {
        if (auto image = manager.imageCache().imageFromMemoryCacheForKey(address)) {
            apply(image);
            if (completed) {
                completed(image, std::nullopt, SDImageCacheType::memory, address);
            }
            return;
        }
    }
    apply(placeholder);
    if (!SDWebImageManager::isLoadableURL(address)) {
        if (completed) {
            completed(nullptr, makeWebImageError(SDWebImageErrorInvalidURL), SDImageCacheType::none, address);
        }
        return;
    }
    const Key key{&view, slot};
    const std::uint64_t token = nextToken();
    loads()[key] = Load{token, address, nullptr};
    std::weak_ptr<UIView> weak = view.sharedView();
    auto operation = manager.loadImageWithURL(
        address, options,
        [weak, key, token, apply, completed](std::shared_ptr<UIImage> image, std::optional<NSError> error,
                                             SDImageCacheType cacheType, const std::string& imageURL) {
            if (!finish(key, token)) {
                return; // overtaken by a newer load for the slot, or cancelled
            }
            auto view = weak.lock();
            if (!view) {
                return;
            }
            if (image) {
                apply(image);
            }
            if (completed) {
                completed(image, error, cacheType, imageURL);
            }
        });
    if (auto found = loads().find(key); found != loads().end() && found->second.token == token) {
        found->second.operation = std::move(operation);
    }
}

} // namespace webimage
