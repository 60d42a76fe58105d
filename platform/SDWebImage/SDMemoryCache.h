#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

class UIImage;

// Decoded images by key, least recently used first out once their total cost (bytes of
// pixels) passes the limit. Thread-safe.
class SDMemoryCache {
  public:
    explicit SDMemoryCache(std::size_t costLimit) : costLimit_(costLimit) {}

    std::shared_ptr<UIImage> objectForKey(const std::string& key);
    // An image whose cost alone passes the limit is not kept.
    void setObject(std::shared_ptr<UIImage> image, const std::string& key);
    void removeObjectForKey(const std::string& key);
    void removeAllObjects();

    std::size_t costLimit() const;
    void setCostLimit(std::size_t costLimit);
    std::size_t totalCost() const;
    std::size_t count() const;

    // Bytes of pixels an image holds (every frame of an animation).
    static std::size_t costOf(const UIImage& image);

  private:
    struct Entry {
        std::string key;
        std::shared_ptr<UIImage> image;
        std::size_t cost;
    };
    void trimLocked();

    mutable std::mutex mutex_;
    std::size_t costLimit_;
    std::size_t totalCost_ = 0;
    std::list<Entry> entries_; // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};
