#include "platform/SDWebImage/SDImageCache.h"

#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/Paths.h"
#include "platform/SDWebImage/SerialWorkQueue.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIScreen.h"

namespace {

// Screens' worth of decoded pixels the shared memory cache keeps: what is on screen and
// what a short scroll back and forth shows again; the rest is read back from disk.
constexpr std::size_t kScreensKept = 4;

std::size_t screenSizedMemoryCost() {
    const UIScreen& screen = UIScreen::mainScreen();
    const CGSize points = screen.bounds().size;
    const double pixels = points.width * points.height * screen.scale() * screen.scale();
    return static_cast<std::size_t>(pixels) * 4 * kScreensKept;
}

} // namespace

SDImageCache& SDImageCache::sharedImageCache() {
    static SDImageCache* cache = [] {
        SDImageCacheConfig config;
        config.maxMemoryCost = screenSizedMemoryCost();
        return new SDImageCache(Paths::caches() / "WebImages", config);
    }();
    return *cache;
}

SDImageCache::SDImageCache(std::filesystem::path directory, SDImageCacheConfig config)
    : config_(config), memory_(std::make_shared<SDMemoryCache>(config.maxMemoryCost)),
      disk_(std::make_shared<SDDiskCache>(std::move(directory))), io_(SerialWorkQueue::create()) {
    if (config_.maxDiskAge > 0 || config_.maxDiskSize > 0) {
        io_->async([disk = disk_, age = config_.maxDiskAge, size = config_.maxDiskSize] {
            disk->removeExpiredData(age, size);
        });
    }
}

SDImageCache::~SDImageCache() = default;

void SDImageCache::setMaxMemoryCost(std::size_t bytes) {
    config_.maxMemoryCost = bytes;
    memory_->setCostLimit(bytes);
}

double SDImageCache::scaleForKey(const std::string& key) {
    const std::string path = key.substr(0, key.find_first_of("?#"));
    const auto dot = path.rfind('.');
    const std::string stem = path.substr(0, dot == std::string::npos ? path.size() : dot);
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0) {
        return 2;
    }
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@3x") == 0) {
        return 3;
    }
    return 1;
}

void SDImageCache::storeImage(std::shared_ptr<UIImage> image, std::optional<std::string> data,
                              const std::string& key, bool toDisk, std::function<void()> completion) {
    if (image) {
        memory_->setObject(image, key);
    }
    if (!toDisk || !data) {
        if (completion) {
            completion();
        }
        return;
    }
    io_->async([disk = disk_, bytes = std::move(*data), key, completion = std::move(completion)] {
        disk->setData(bytes, key);
        if (completion) {
            DispatchQueue::main().async(completion);
        }
    });
}

std::shared_ptr<SDImageCacheQuery> SDImageCache::queryCacheForKey(const std::string& key,
                                                                  QueryCompletion completion) {
    auto query = std::make_shared<SDImageCacheQuery>();
    if (auto image = memory_->objectForKey(key)) {
        completion(std::move(image), SDImageCacheType::memory);
        return query;
    }
    // Reads go through the serial queue too, so that a read never sees a file that a
    // removal asked for earlier has not yet removed; decoding then runs in parallel.
    auto deliver = [memory = memory_, key, query,
                    completion = std::move(completion)](std::shared_ptr<UIImage> image) {
        DispatchQueue::main().async([memory, key, query, image = std::move(image), completion] {
            if (query->isCancelled()) {
                return;
            }
            if (image) {
                memory->setObject(image, key);
            }
            completion(image, image ? SDImageCacheType::disk : SDImageCacheType::none);
        });
    };
    io_->async([disk = disk_, io = io_, key, query, deliver = std::move(deliver)] {
        std::optional<std::string> data;
        if (!query->isCancelled()) {
            data = disk->dataForKey(key);
        }
        if (!data) {
            deliver(nullptr);
            return;
        }
        DispatchQueue::global().async([disk, io, key, data = std::move(*data), deliver] {
            auto image = UIImage::imageWithData(data, scaleForKey(key));
            if (!image) {
                // A file that does not decode (cut short, or not an image) is of no use.
                io->async([disk, key] { disk->removeDataForKey(key); });
            }
            deliver(std::move(image));
        });
    });
    return query;
}

void SDImageCache::removeImageForKey(const std::string& key, bool fromDisk,
                                     std::function<void()> completion) {
    memory_->removeObjectForKey(key);
    if (!fromDisk) {
        if (completion) {
            completion();
        }
        return;
    }
    io_->async([disk = disk_, key, completion = std::move(completion)] {
        disk->removeDataForKey(key);
        if (completion) {
            DispatchQueue::main().async(completion);
        }
    });
}

void SDImageCache::clearDiskOnCompletion(std::function<void()> completion) {
    io_->async([disk = disk_, completion = std::move(completion)] {
        disk->removeAllData();
        if (completion) {
            DispatchQueue::main().async(completion);
        }
    });
}

void SDImageCache::diskImageExistsWithKey(const std::string& key, std::function<void(bool)> completion) {
    io_->async([disk = disk_, key, completion = std::move(completion)] {
        const bool exists = disk->containsDataForKey(key);
        DispatchQueue::main().async([completion, exists] { completion(exists); });
    });
}

void SDImageCache::calculateSizeWithCompletion(std::function<void(std::size_t, std::uint64_t)> completion) {
    io_->async([disk = disk_, completion = std::move(completion)] {
        const std::size_t count = disk->totalCount();
        const std::uint64_t size = disk->totalSize();
        DispatchQueue::main().async([completion, count, size] { completion(count, size); });
    });
}
