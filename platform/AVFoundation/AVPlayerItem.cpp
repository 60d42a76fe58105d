#include "platform/AVFoundation/AVPlayerItem.h"

std::shared_ptr<AVPlayerItem> AVPlayerItem::playerItemWithURL(const std::string& URL) {
    return playerItemWithAsset(std::make_shared<AVURLAsset>(URL));
}

std::shared_ptr<AVPlayerItem> AVPlayerItem::playerItemWithAsset(std::shared_ptr<AVURLAsset> asset) {
    if (!asset) {
        return nullptr;
    }
    return std::shared_ptr<AVPlayerItem>(new AVPlayerItem(std::move(asset)));
}
