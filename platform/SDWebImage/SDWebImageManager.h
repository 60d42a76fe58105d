#pragma once

#include "platform/Foundation/NSError.h"
#include "platform/SDWebImage/SDImageCache.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class SDWebImageDownloader;
class SDWebImageDownloadToken;
class UIImage;

// Loading options. The application passes none; the type exists for its call sites.
using SDWebImageOptions = unsigned;

// One image load: the cache query, then the download. Cancelling it stops both and keeps
// its completion from running.
class SDWebImageCombinedOperation {
  public:
    void cancel();
    bool isCancelled() const { return cancelled_; }

  private:
    friend class SDWebImageManager;
    bool cancelled_ = false;
    std::shared_ptr<SDImageCacheQuery> cacheQuery_;
    std::shared_ptr<SDWebImageDownloadToken> downloadToken_;
    SDWebImageDownloader* downloader_ = nullptr;
};

// Loads an image by URL: from the memory cache (at once), else from the disk cache, else
// from the network, keeping what it downloads in both caches. Main thread only.
class SDWebImageManager {
  public:
    using Completion = std::function<void(std::shared_ptr<UIImage> image, std::optional<NSError> error,
                                          SDImageCacheType cacheType, const std::string& imageURL)>;

    static SDWebImageManager& sharedManager();
    SDWebImageManager(SDImageCache& cache, SDWebImageDownloader& downloader)
        : cache_(cache), downloader_(downloader) {}

    SDImageCache& imageCache() { return cache_; }
    SDWebImageDownloader& imageDownloader() { return downloader_; }

    // `url` must be an absolute http or https address; anything else completes with
    // SDWebImageErrorInvalidURL. A memory hit completes before this call returns.
    std::shared_ptr<SDWebImageCombinedOperation>
    loadImageWithURL(const std::string& url, SDWebImageOptions options, Completion completion);

    // Whether `url` is an absolute http or https address with a host.
    static bool isLoadableURL(const std::string& url);

  private:
    SDImageCache& cache_;
    SDWebImageDownloader& downloader_;
};
