#include "platform/SDWebImage/SDMemoryCache.h"

#include "platform/UIKit/UIImage.h"

std::size_t SDMemoryCache::costOf(const UIImage& image) {
    auto pixels = [](const UIImage& still) -> std::size_t {
        const auto& cgImage = still.CGImage();
        return cgImage ? static_cast<std::size_t>(cgImage->width()) *
                             static_cast<std::size_t>(cgImage->height()) * 4
                       : 0;
    };
    if (image.images().empty()) {
        return pixels(image);
    }
    std::size_t total = 0;
    for (const auto& frame : image.images()) {
        total += frame ? pixels(*frame) : 0;
    }
    return total;
}

std::shared_ptr<UIImage> SDMemoryCache::objectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    const auto found = index_.find(key);
    if (found == index_.end()) {
        return nullptr;
    }
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->image;
}

void SDMemoryCache::setObject(std::shared_ptr<UIImage> image, const std::string& key) {
    if (!image) {
        removeObjectForKey(key);
        return;
    }
    const std::size_t cost = costOf(*image);
    std::lock_guard lock(mutex_);
    if (const auto found = index_.find(key); found != index_.end()) {
        totalCost_ -= found->second->cost;
        entries_.erase(found->second);
        index_.erase(found);
    }
    if (cost > costLimit_) {
        return;
    }
    entries_.push_front({key, std::move(image), cost});
    index_[key] = entries_.begin();
    totalCost_ += cost;
    trimLocked();
}

void SDMemoryCache::removeObjectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (const auto found = index_.find(key); found != index_.end()) {
        totalCost_ -= found->second->cost;
        entries_.erase(found->second);
        index_.erase(found);
    }
}

void SDMemoryCache::removeAllObjects() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    totalCost_ = 0;
}

std::size_t SDMemoryCache::costLimit() const {
    std::lock_guard lock(mutex_);
    return costLimit_;
}

void SDMemoryCache::setCostLimit(std::size_t costLimit) {
    std::lock_guard lock(mutex_);
    costLimit_ = costLimit;
    trimLocked();
}

std::size_t SDMemoryCache::totalCost() const {
    std::lock_guard lock(mutex_);
    return totalCost_;
}

std::size_t SDMemoryCache::count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void SDMemoryCache::trimLocked() {
    while (totalCost_ > costLimit_ && !entries_.empty()) {
        const Entry& oldest = entries_.back();
        totalCost_ -= oldest.cost;
        index_.erase(oldest.key);
        entries_.pop_back();
    }
}
