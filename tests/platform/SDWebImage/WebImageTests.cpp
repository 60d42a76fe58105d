#include "platform/Foundation/RunLoop.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/SDWebImage/SDDiskCache.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/SDWebImage/SDMemoryCache.h"
#include "platform/SDWebImage/SDWebImageDownloader.h"
#include "platform/SDWebImage/SDWebImageError.h"
#include "platform/SDWebImage/SDWebImageManager.h"
#include "platform/SDWebImage/UIButton+WebCache.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

devservice::Fault delayed(double seconds) {
    devservice::Fault fault;
    fault.delaySeconds = seconds;
    return fault;
}

devservice::Fault answering(int status, std::string body) {
    devservice::Fault fault;
    fault.status = status;
    fault.rawBody = std::move(body);
    return fault;
}

std::shared_ptr<UIImage> solidImage(int width, int height) {
    return UIImage::imageWithCGImage(
        CGImage::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), 1);
}

} // namespace

TEST(SDMemoryCache, KeepsTheMostRecentlyUsedImagesWithinItsByteLimit) {
    SDMemoryCache cache(3 * 100 * 100 * 4);
    cache.setObject(solidImage(100, 100), "a");
    cache.setObject(solidImage(100, 100), "b");
    cache.setObject(solidImage(100, 100), "c");
    EXPECT_EQ(cache.totalCost(), 3u * 40000);
    ASSERT_TRUE(cache.objectForKey("a")) << "a is now the most recently used";
    cache.setObject(solidImage(100, 100), "d");
    EXPECT_TRUE(cache.objectForKey("a"));
    EXPECT_FALSE(cache.objectForKey("b")) << "the least recently used went";
    EXPECT_TRUE(cache.objectForKey("d"));
    EXPECT_LE(cache.totalCost(), cache.costLimit());

    cache.setObject(solidImage(400, 400), "huge");
    EXPECT_FALSE(cache.objectForKey("huge")) << "larger than the whole cache: not kept";
    EXPECT_EQ(cache.count(), 3u);
    cache.setCostLimit(40000);
    EXPECT_EQ(cache.count(), 1u);
}

TEST(SDDiskCache, StoresWholeFilesByKeyAndDropsOldOnes) {
    SDDiskCache disk(testsupport::freshFolder("disk-cache"));
    const std::string key = "https://127.0.0.1:1/images/poster/x.png?size=2";
    EXPECT_EQ(disk.cachePathForKey(key).extension(), ".png");
    EXPECT_FALSE(disk.dataForKey(key));
    ASSERT_TRUE(disk.setData("bytes", key));
    EXPECT_EQ(disk.dataForKey(key), "bytes");
    EXPECT_TRUE(disk.setData("newer", key));
    EXPECT_EQ(disk.dataForKey(key), "newer");
    EXPECT_EQ(disk.totalCount(), 1u) << "no temporary files left behind";

    disk.setData(std::string(100, 'x'), "old");
    std::filesystem::last_write_time(disk.cachePathForKey("old"),
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(24 * 8));
    disk.removeExpiredData(7 * 24 * 3600, 0);
    EXPECT_FALSE(disk.containsDataForKey("old"));
    EXPECT_TRUE(disk.containsDataForKey(key));

    for (int i = 0; i < 10; ++i) {
        disk.setData(std::string(1000, 'y'), "file" + std::to_string(i));
        std::filesystem::last_write_time(disk.cachePathForKey("file" + std::to_string(i)),
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::minutes(100 - i));
    }
    disk.removeExpiredData(0, 6000);
    EXPECT_LE(disk.totalSize(), 6000u);
    EXPECT_FALSE(disk.containsDataForKey("file0")) << "the oldest went first";
    EXPECT_TRUE(disk.containsDataForKey("file9"));
}

namespace {

// The development service, once for all tests of this file, with its pictures at
// https://media.orvex.test:<port1>/images/<kind>/<name>.png, a name found through the
// service's resolver.
class WebImages : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        DevService::Options options;
        options.dataDir = testsupport::freshFolder("web-images-service");
        options.mediaDir = testsupport::sharedMediaDir();
        service_ = new DevService(options);
        ASSERT_TRUE(service_->start()) << service_->lastError();
        NetworkPolicy::setCertificateAuthorityFile(service_->caFile());
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
            true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                      "https://dns.orvex.test:" + std::to_string(service_->port1()) + "/dns-query",
                      {NWEndpoint::hostPort("127.0.0.1", service_->port1())}));
    }

    static void TearDownTestSuite() {
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
        service_->stop();
        delete service_;
        service_ = nullptr;
    }

    void SetUp() override {
        testsupport::useVirtualClock();
        service().clearFaults();
        service().clearRequests();
        SDImageCache& cache = SDImageCache::sharedImageCache();
        cache.clearMemory();
        bool cleared = false;
        cache.clearDiskOnCompletion([&] { cleared = true; });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return cleared; }, 10));
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 375, 667));
        window->makeKeyAndVisible();
        placeholder = solidImage(2, 2);
    }

    static DevService& service() { return *service_; }

    static std::string pictureURL(const std::string& name) {
        return service().origin() + "/images/poster/" + name + ".png";
    }

    static std::size_t requestsFor(const std::string& name) {
        const auto all = service().requests();
        return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [&](const auto& request) {
            return request.path == "/images/poster/" + name + ".png";
        }));
    }

    struct Outcome {
        int calls = 0;
        std::shared_ptr<UIImage> image;
        std::optional<NSError> error;
        SDImageCacheType cacheType = SDImageCacheType::none;
    };

    static SDExternalCompletionBlock record(Outcome& outcome) {
        return [&outcome](std::shared_ptr<UIImage> image, std::optional<NSError> error, SDImageCacheType type,
                          const std::string&) {
            ++outcome.calls;
            outcome.image = std::move(image);
            outcome.error = std::move(error);
            outcome.cacheType = type;
        };
    }

    static bool waitFor(const Outcome& outcome) {
        return RunLoop::main().runUntil([&] { return outcome.calls > 0; }, 30);
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIImage> placeholder;

  private:
    static DevService* service_;
};

DevService* WebImages::service_ = nullptr;

} // namespace

TEST_F(WebImages, TheServicesPictureReplacesThePlaceholderThenComesFromMemory) {
    auto view = std::make_shared<UIImageView>();
    Outcome first;
    sd_setImageWithURL(view, pictureURL("first"), placeholder, 0, record(first));
    EXPECT_EQ(view->image(), placeholder) << "the placeholder shows at once";
    ASSERT_TRUE(waitFor(first));
    ASSERT_TRUE(first.image);
    EXPECT_FALSE(first.error);
    EXPECT_EQ(first.cacheType, SDImageCacheType::none);
    EXPECT_EQ(view->image(), first.image);
    EXPECT_GT(first.image->size().width, 10);
    EXPECT_EQ(sd_imageURL(view), std::nullopt) << "a finished load is forgotten";

    auto other = std::make_shared<UIImageView>();
    Outcome second;
    sd_setImageWithURL(other, pictureURL("first"), placeholder, 0, record(second));
    EXPECT_EQ(second.calls, 1) << "answered before the call returned";
    EXPECT_EQ(second.cacheType, SDImageCacheType::memory);
    EXPECT_EQ(other->image(), first.image) << "no placeholder in between";
    EXPECT_EQ(requestsFor("first"), 1u);
}

TEST_F(WebImages, AFailedDownloadLeavesThePlaceholder) {
    service().setFault("images/poster/missing.png", answering(404, "gone"));
    auto view = std::make_shared<UIImageView>();
    Outcome outcome;
    sd_setImageWithURL(view, pictureURL("missing"), placeholder, 0, record(outcome));
    ASSERT_TRUE(waitFor(outcome));
    EXPECT_FALSE(outcome.image);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->domain, SDWebImageErrorDomain);
    EXPECT_EQ(outcome.error->code, SDWebImageErrorInvalidDownloadStatusCode);
    EXPECT_EQ(view->image(), placeholder);

    service().setFault("images/poster/notanimage.png", answering(200, "<html>no</html>"));
    Outcome garbage;
    sd_setImageWithURL(view, pictureURL("notanimage"), placeholder, 0, record(garbage));
    ASSERT_TRUE(waitFor(garbage));
    ASSERT_TRUE(garbage.error);
    EXPECT_EQ(garbage.error->code, SDWebImageErrorBadImageData);
    EXPECT_EQ(view->image(), placeholder);

    Outcome invalid;
    sd_setImageWithURL(view, "not a url", placeholder, 0, record(invalid));
    EXPECT_EQ(invalid.calls, 1);
    ASSERT_TRUE(invalid.error);
    EXPECT_EQ(invalid.error->code, SDWebImageErrorInvalidURL);
    sd_setImageWithURL(view, "file:///etc/passwd", placeholder, 0, record(invalid));
    EXPECT_EQ(invalid.error->code, SDWebImageErrorInvalidURL) << "only http and https are fetched";
}

TEST_F(WebImages, ViewsAskingForTheSamePictureShareOneDownload) {
    std::vector<std::shared_ptr<UIImageView>> views;
    std::vector<Outcome> outcomes(5);
    service().setFault("images/poster/shared.png", delayed(0.3));
    for (auto& outcome : outcomes) {
        views.push_back(std::make_shared<UIImageView>());
        sd_setImageWithURL(views.back(), pictureURL("shared"), placeholder, 0, record(outcome));
    }
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return std::all_of(outcomes.begin(), outcomes.end(),
                               [](const Outcome& o) { return o.calls > 0; });
        },
        30));
    EXPECT_EQ(requestsFor("shared"), 1u);
    for (const auto& view : views) {
        EXPECT_EQ(view->image(), outcomes.front().image);
    }
}

TEST_F(WebImages, APictureThatArrivesWhileTheDiskIsReadIsNotFetchedAgain) {
    const std::string url = pictureURL("arriving");
    service().setFault("images/poster/arriving.png", delayed(0.3));
    auto first = std::make_shared<UIImageView>();
    Outcome firstOutcome;
    sd_setImageWithURL(first, url, placeholder, 0, record(firstOutcome));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return requestsFor("arriving") == 1; }, 30));

    // A pipe in the picture's place on disk holds the second view's disk read until the
    // first view's download has been shown.
    SDImageCache& cache = SDImageCache::sharedImageCache();
    const auto held = cache.cachePathForKey(url);
    std::filesystem::create_directories(held.parent_path());
    ASSERT_EQ(::mkfifo(held.c_str(), 0600), 0);
    auto second = std::make_shared<UIImageView>();
    Outcome secondOutcome;
    sd_setImageWithURL(second, url, placeholder, 0, record(secondOutcome));
    ASSERT_TRUE(waitFor(firstOutcome));
    ASSERT_TRUE(firstOutcome.image);
    EXPECT_EQ(secondOutcome.calls, 0) << "still reading the disk";
    const int release = ::open(held.c_str(), O_WRONLY); // returns once the reader has it open
    ASSERT_GE(release, 0);
    ::close(release);

    ASSERT_TRUE(waitFor(secondOutcome));
    EXPECT_EQ(secondOutcome.image.get(), firstOutcome.image.get());
    EXPECT_EQ(second->image().get(), first->image().get());
    EXPECT_EQ(requestsFor("arriving"), 1u);
}

TEST_F(WebImages, TheDiskCacheServesASecondLoadWhileTheServiceIsAway) {
    auto view = std::make_shared<UIImageView>();
    Outcome first;
    sd_setImageWithURL(view, pictureURL("offline"), placeholder, 0, record(first));
    ASSERT_TRUE(waitFor(first));
    ASSERT_TRUE(first.image);
    SDImageCache& cache = SDImageCache::sharedImageCache();
    bool stored = false;
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            bool answered = false;
            cache.diskImageExistsWithKey(pictureURL("offline"), [&](bool exists) {
                stored = exists;
                answered = true;
            });
            RunLoop::main().runUntil([&] { return answered; }, 5);
            return stored;
        },
        10));
    EXPECT_TRUE(std::filesystem::exists(cache.cachePathForKey(pictureURL("offline"))));
    cache.clearMemory();

    const std::string url = pictureURL("offline");
    service().stop();
    auto again = std::make_shared<UIImageView>();
    Outcome second;
    sd_setImageWithURL(again, url, placeholder, 0, record(second));
    ASSERT_TRUE(waitFor(second));
    service().start();
    ASSERT_TRUE(second.image);
    EXPECT_EQ(second.cacheType, SDImageCacheType::disk);
    EXPECT_EQ(second.image->size(), first.image->size());
    EXPECT_EQ(again->image(), second.image);
}

TEST_F(WebImages, TheMemoryCacheEvictsBeyondItsLimitAndTheDiskKeepsTheRest) {
    SDImageCache& cache = SDImageCache::sharedImageCache();
    const std::size_t limit = cache.config().maxMemoryCost;
    auto view = std::make_shared<UIImageView>();
    Outcome one;
    sd_setImageWithURL(view, pictureURL("evict1"), placeholder, 0, record(one));
    ASSERT_TRUE(waitFor(one));
    const std::size_t imageCost = SDMemoryCache::costOf(*one.image);
    cache.setMaxMemoryCost(imageCost * 2);
    for (const char* name : {"evict2", "evict3"}) {
        Outcome outcome;
        sd_setImageWithURL(view, pictureURL(name), placeholder, 0, record(outcome));
        ASSERT_TRUE(waitFor(outcome));
    }
    EXPECT_LE(cache.memoryCache().totalCost(), imageCost * 2);
    EXPECT_FALSE(cache.imageFromMemoryCacheForKey(pictureURL("evict1")));
    EXPECT_TRUE(cache.imageFromMemoryCacheForKey(pictureURL("evict3")));
    Outcome back;
    sd_setImageWithURL(view, pictureURL("evict1"), placeholder, 0, record(back));
    ASSERT_TRUE(waitFor(back));
    EXPECT_EQ(back.cacheType, SDImageCacheType::disk);
    EXPECT_EQ(requestsFor("evict1"), 1u);
    cache.setMaxMemoryCost(limit);
}

namespace {

class PosterCell : public UICollectionViewCell {
  public:
    PosterCell() : poster(std::make_shared<UIImageView>()) { contentView()->addSubview(poster); }
    std::shared_ptr<UIImageView> poster;
};

class Posters : public UICollectionViewDataSource {
  public:
    explicit Posters(std::function<std::string(long)> url) : url_(std::move(url)) {}
    long numberOfItemsInSection(UICollectionView&, long) override { return 60; }
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& view,
                                                        const NSIndexPath& path) override {
        auto cell =
            std::static_pointer_cast<PosterCell>(view.dequeueReusableCellWithReuseIdentifier("poster", path));
        sd_setImageWithURL(cell->poster, url_(path.item), placeholder);
        return cell;
    }
    std::shared_ptr<UIImage> placeholder;

  private:
    std::function<std::string(long)> url_;
};

} // namespace

TEST_F(WebImages, AReusedCellShowsItsNewRowsPictureEvenWhenTheOldOneArrivesLater) {
    // The first row's picture comes late; the cell showing it is reused for another row
    // long before.
    service().setFault("images/poster/row0.png", delayed(1.0));
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setItemSize({375, 100});
    layout->setMinimumLineSpacing(0);
    auto view = std::make_shared<UICollectionView>(window->bounds(), layout);
    view->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    view->registerClass<PosterCell>("poster");
    auto posters =
        std::make_shared<Posters>([](long item) { return pictureURL("row" + std::to_string(item)); });
    posters->placeholder = placeholder;
    view->setDataSource(posters);
    window->addSubview(view);
    window->layoutIfNeeded();
    auto firstCell = std::static_pointer_cast<PosterCell>(view->cellForItemAtIndexPath({0, 0}));
    ASSERT_TRUE(firstCell);
    // Something else on screen keeps waiting for the first picture.
    auto keeper = std::make_shared<UIImageView>();
    Outcome late;
    sd_setImageWithURL(keeper, pictureURL("row0"), placeholder, 0, record(late));

    view->setContentOffset({0, 2000});
    window->layoutIfNeeded();
    const auto visible = view->indexPathsForVisibleItems();
    long reusedFor = -1;
    for (const auto& path : visible) {
        if (view->cellForItemAtIndexPath(path) == firstCell) {
            reusedFor = path.item;
        }
    }
    ASSERT_GE(reusedFor, 20) << "the first cell now shows a row further down";
    EXPECT_EQ(firstCell->poster->image(), placeholder) << "no stale picture while the new one loads";
    const std::string newURL = pictureURL("row" + std::to_string(reusedFor));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return late.calls > 0 &&
                   SDImageCache::sharedImageCache().imageFromMemoryCacheForKey(newURL) != nullptr;
        },
        30));
    RunLoop::main().runUntil([] { return false; }, 0.2);
    ASSERT_TRUE(late.image);
    EXPECT_EQ(keeper->image(), late.image);
    EXPECT_EQ(firstCell->poster->image(),
              SDImageCache::sharedImageCache().imageFromMemoryCacheForKey(newURL));
    EXPECT_NE(firstCell->poster->image(), late.image);
}

TEST_F(WebImages, AButtonGetsItsStatesPicture) {
    auto button = std::make_shared<UIButton>();
    Outcome outcome;
    sd_setImageWithURL(button, pictureURL("button"), UIControlStateSelected, placeholder, 0, record(outcome));
    EXPECT_EQ(button->imageForState(UIControlStateSelected), placeholder);
    ASSERT_TRUE(waitFor(outcome));
    EXPECT_EQ(button->imageForState(UIControlStateSelected), outcome.image);
    EXPECT_FALSE(button->imageForState(UIControlStateNormal));
}

TEST_F(WebImages, ACancelledLoadNeverShowsItsPicture) {
    service().setFault("images/poster/cancelled.png", delayed(0.3));
    auto view = std::make_shared<UIImageView>();
    Outcome outcome;
    sd_setImageWithURL(view, pictureURL("cancelled"), placeholder, 0, record(outcome));
    sd_cancelCurrentImageLoad(view);
    RunLoop::main().runUntil([] { return false; }, 1.0);
    EXPECT_EQ(outcome.calls, 0);
    EXPECT_EQ(view->image(), placeholder);
    EXPECT_EQ(SDWebImageDownloader::sharedDownloader().currentDownloadCount(), 0u);
}
