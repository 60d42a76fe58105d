#include "platform/SDWebImage/SDWebImageManager.h"

#include "platform/SDWebImage/SDWebImageDownloader.h"
#include "platform/SDWebImage/SDWebImageError.h"

#include <algorithm>
#include <cctype>

void SDWebImageCombinedOperation::cancel() {
    if (cancelled_) {
        return;
    }
    cancelled_ = true;
    if (cacheQuery_) {
        cacheQuery_->cancel();
    }
    if (downloadToken_ && downloader_ != nullptr) {
        downloader_->cancel(downloadToken_);
    }
    downloadToken_.reset();
}

SDWebImageManager& SDWebImageManager::sharedManager() {
    static SDWebImageManager* manager =
        new SDWebImageManager(SDImageCache::sharedImageCache(), SDWebImageDownloader::sharedDownloader());
    return *manager;
}

bool SDWebImageManager::isLoadableURL(const std::string& url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos) {
        return false;
    }
    std::string scheme = url.substr(0, schemeEnd);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (scheme != "http" && scheme != "https") {
        return false;
    }
    const std::string rest = url.substr(schemeEnd + 3);
    const std::string authority = rest.substr(0, rest.find_first_of("/?#"));
    const std::string host =
        authority.substr(authority.rfind('@') == std::string::npos ? 0 : authority.rfind('@') + 1);
    const bool hasSpace =
        std::any_of(url.begin(), url.end(), [](unsigned char c) { return std::isspace(c) || c < 0x20; });
    return !host.empty() && host[0] != ':' && !hasSpace;
}

std::shared_ptr<SDWebImageCombinedOperation>
SDWebImageManager::loadImageWithURL(const std::string& url, SDWebImageOptions, Completion completion) {
    auto operation = std::make_shared<SDWebImageCombinedOperation>();
    operation->downloader_ = &downloader_;
    if (!isLoadableURL(url)) {
        completion(nullptr, makeWebImageError(SDWebImageErrorInvalidURL), SDImageCacheType::none, url);
        return operation;
    }
    // The callbacks hold the operation (it holds no callback), so that a caller need not
    // keep it to be answered.
    operation->cacheQuery_ = cache_.queryCacheForKey(
        url, [this, operation, url, completion](std::shared_ptr<UIImage> image, SDImageCacheType cacheType) {
            if (operation->isCancelled()) {
                return;
            }
            if (image) {
                completion(std::move(image), std::nullopt, cacheType, url);
                return;
            }
            // A download of the same picture may have finished while the disk was read:
            // its picture is shown rather than fetched and decoded a second time.
            if (auto arrived = cache_.imageFromMemoryCacheForKey(url)) {
                completion(std::move(arrived), std::nullopt, SDImageCacheType::memory, url);
                return;
            }
            operation->downloadToken_ = downloader_.downloadImageWithURL(
                url, [this, operation, url, completion](std::shared_ptr<UIImage> image,
                                                        std::optional<std::string> data,
                                                        std::optional<NSError> error) {
                    operation->downloadToken_.reset();
                    if (image) {
                        cache_.storeImage(image, std::move(data), url, true);
                    }
                    if (!operation->isCancelled()) {
                        completion(std::move(image), std::move(error), SDImageCacheType::none, url);
                    }
                });
        });
    return operation;
}
