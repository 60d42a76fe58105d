#pragma once

#include "platform/SDWebImage/SDDiskCache.h"
#include "platform/SDWebImage/SDMemoryCache.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class SerialWorkQueue;
class UIImage;

// Where a cached image came from.
enum class SDImageCacheType { none, disk, memory };

struct SDImageCacheConfig {
    // Bytes of decoded pixels the memory cache keeps.
    std::size_t maxMemoryCost = 128u * 1024 * 1024;
    // Files older than this are removed when the cache opens (0: kept for ever).
    double maxDiskAge = 7 * 24 * 3600;
    // Bytes the disk cache may hold after that clean-up (0: no limit).
    std::uint64_t maxDiskSize = 0;
};

// A running cache query; cancelling it means its completion never runs.
class SDImageCacheQuery {
  public:
    void cancel() { cancelled_ = true; }
    bool isCancelled() const { return cancelled_; }

  private:
    std::atomic<bool> cancelled_{false};
};

// Decoded images in memory and their encoded bytes on disk, by key (the image URL). All
// calls and completions are on the main thread; file work and decoding run in the
// background, file writes and removals in the order they were asked for.
class SDImageCache {
  public:
    using QueryCompletion = std::function<void(std::shared_ptr<UIImage> image, SDImageCacheType cacheType)>;

    // The application's cache, in the "WebImages" folder of the caches folder.
    static SDImageCache& sharedImageCache();

    explicit SDImageCache(std::filesystem::path directory, SDImageCacheConfig config = {});
    ~SDImageCache();
    SDImageCache(const SDImageCache&) = delete;
    SDImageCache& operator=(const SDImageCache&) = delete;

    const SDImageCacheConfig& config() const { return config_; }
    void setMaxMemoryCost(std::size_t bytes);
    SDMemoryCache& memoryCache() { return *memory_; }
    std::filesystem::path cachePathForKey(const std::string& key) const {
        return disk_->cachePathForKey(key);
    }

    std::shared_ptr<UIImage> imageFromMemoryCacheForKey(const std::string& key) {
        return memory_->objectForKey(key);
    }
    // Keeps `image` in memory and, when `data` is given and `toDisk` is set, writes the
    // bytes to disk; `completion` runs on the main thread once the write is done.
    void storeImage(std::shared_ptr<UIImage> image, std::optional<std::string> data, const std::string& key,
                    bool toDisk, std::function<void()> completion = {});
    // A memory hit answers at once (before this call returns); otherwise the file is read
    // and decoded in the background and the answer (nothing on a miss or unreadable file)
    // comes on the main thread, the image then also kept in memory.
    std::shared_ptr<SDImageCacheQuery> queryCacheForKey(const std::string& key, QueryCompletion completion);

    void removeImageForKey(const std::string& key, bool fromDisk, std::function<void()> completion = {});
    void clearMemory() { memory_->removeAllObjects(); }
    void clearDiskOnCompletion(std::function<void()> completion);
    void diskImageExistsWithKey(const std::string& key, std::function<void(bool)> completion);
    void calculateSizeWithCompletion(
        std::function<void(std::size_t fileCount, std::uint64_t totalSize)> completion);

    // Points per pixel of an image stored under `key`: 2 or 3 for names ending in "@2x"
    // or "@3x", else 1.
    static double scaleForKey(const std::string& key);

  private:
    SDImageCacheConfig config_;
    std::shared_ptr<SDMemoryCache> memory_;
    std::shared_ptr<SDDiskCache> disk_;
    std::shared_ptr<SerialWorkQueue> io_;
};
