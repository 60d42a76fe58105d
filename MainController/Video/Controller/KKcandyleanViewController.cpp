#include "MainController/Video/Controller/KKcandyleanViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Search/Controller/KKtenseadjacentViewController.h"
#include "MainController/Video/Cell/KKlenscontaminate.h"
#include "MainController/Video/Controller/KKceasevainViewController.h"
#include "MainController/Video/Controller/KKleanceaseViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/Player/UIView+SJBaseVideoPlayerExtended.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UISwipeGestureRecognizer.h"

std::string KKcandyleanViewController::assetIdentifier(const std::string& url) {
    return url.substr(0, url.find('#'));
}

std::shared_ptr<KKcandyleanViewController> KKcandyleanViewController::self() {
    return std::static_pointer_cast<KKcandyleanViewController>(shared_from_this());
}

void KKcandyleanViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    SJMediaCacheServer::shared().setEnabledConsoleLog(false);

    std::weak_ptr<KKcandyleanViewController> weakSelf = self();
    if (isShowFull) {
        mainQueue().asyncAfter(0.1, [weakSelf] {
            if (const auto page = weakSelf.lock()) {
                page->scrollToStartItem();
            }
        });
        return;
    }
    QMUITips::showLoadingInView(KKpresentationdisease::getCurrentVC()->view());
    loadMore();
}

void KKcandyleanViewController::setupUI() {
    const auto& view = this->view();
    view->setClipsToBounds(true);
    view->setBackgroundColor(UIColor::blackColor());
    setEdgesForExtendedLayout(UIRectEdgeNone);

    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
    layout->setSectionInset({});
    layout->setMinimumLineSpacing(0);
    layout->setMinimumInteritemSpacing(0);
    layout->setEstimatedItemSize(CGSizeZero);
    collectionView_ = std::make_shared<UICollectionView>(CGRectZero, layout);
    collectionView_->setBackgroundColor(UIColor::blackColor());
    collectionView_->setPagingEnabled(true);
    collectionView_->setScrollsToTop(false);
    collectionView_->setShowsVerticalScrollIndicator(false);
    collectionView_->setDelegate(self());
    collectionView_->setDataSource(self());
    collectionView_->registerClass([] { return KKlenscontaminate::create(); },
                                   classNameOf<KKlenscontaminate>());
    view->addSubview(collectionView_);
    collectionView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(view->safeAreaLayoutGuide()->snp.top);
        make.bottom.equalTo(view->safeAreaLayoutGuide()->snp.bottom);
        make.left.right().equalToSuperview();
    });

    std::weak_ptr<KKcandyleanViewController> weakSelf = self();
    if (isShowFull) {
        kkdilemmaspectacular_ = std::make_shared<QMUIButton>();
        kkdilemmaspectacular_->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
        kkdilemmaspectacular_->setQmui_tapBlock([weakSelf](UIControl&) {
            const auto page = weakSelf.lock();
            if (page && page->navigationController()) {
                page->navigationController()->popViewControllerAnimated(true);
            }
        });
        view->addSubview(kkdilemmaspectacular_);
        kkdilemmaspectacular_->snp.makeConstraints([&](ConstraintMaker& make) {
            make.left.equalToSuperview();
            make.size.equalTo(CGSize{44, 44});
            make.top.equalTo(view->safeAreaLayoutGuide()->snp.top).offset(10);
        });
    } else {
        auto swipe = std::make_shared<UISwipeGestureRecognizer>([weakSelf](UIGestureRecognizer&) {
            if (const auto page = weakSelf.lock()) {
                page->swipeRight();
            }
        });
        swipe->direction = UISwipeGestureRecognizerDirectionLeft;
        view->addGestureRecognizer(swipe);
    }
}

void KKcandyleanViewController::viewWillDisappear(bool animated) {
    BaseViewController::viewWillDisappear(animated);
    if (curPlayer_) {
        curPlayer_->pause();
    }
}

void KKcandyleanViewController::loadMore() {
    std::weak_ptr<KKcandyleanViewController> weakSelf = self();
    loader_.load([weakSelf](std::optional<ShortVideoItems> items) {
        if (const auto page = weakSelf.lock()) {
            page->appendItems(items);
        }
    });
}

void KKcandyleanViewController::appendItems(const std::optional<ShortVideoItems>& items) {
    // An answer that adds nothing changes nothing: no cell is configured again, so the
    // end of the list does not ask again by itself.
    if (!items || items->empty()) {
        return;
    }
    // Every answer is appended as it came, repeats included. The new items are inserted
    // rather than the list reloaded: the cells in view keep their players, so the video
    // that plays goes on and one the person paused stays paused.
    std::vector<NSIndexPath> inserted;
    for (const auto& item : *items) {
        inserted.push_back(NSIndexPath::indexPathForItem(static_cast<long>(list.size()), 0));
        list.push_back(item);
    }
    collectionView_->insertItemsAtIndexPaths(inserted);
    collectionView_->layoutIfNeeded();
    playVisibleCell();
}

long KKcandyleanViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(list.size());
}

std::shared_ptr<UICollectionViewCell>
KKcandyleanViewController::cellForItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {
    return dequeueReusableCell<KKlenscontaminate>(collectionView, indexPath);
}

std::optional<CGSize> KKcandyleanViewController::sizeForItemAt(UICollectionView& collectionView,
                                                               UICollectionViewLayout&, const NSIndexPath&) {
    // One video per page: the page is the list's own height (the screen less the status
    // bar and the tab bar, or the home indicator area in the full-screen variant).
    const CGSize bounds = collectionView.bounds().size;
    if (bounds.width > 0 && bounds.height > 0) {
        return bounds;
    }
    return CGSize{screenWidth(),
                  screenHeight() - statusBarHeight() - (isShowFull ? bottomSafeHeight() : tabBarHeight())};
}

void KKcandyleanViewController::willDisplay(UICollectionView&, UICollectionViewCell& cell,
                                            const NSIndexPath& indexPath) {
    if (auto* feedCell = dynamic_cast<KKlenscontaminate*>(&cell)) {
        configure(*feedCell, indexPath.item);
    }
}

void KKcandyleanViewController::configure(KKlenscontaminate& cell, long item) {
    if (item < 0 || item >= static_cast<long>(list.size())) {
        return;
    }
    const auto& model = list[static_cast<std::size_t>(item)];
    const std::string playAddr = model->playAddr.value_or("");
    if (isWebAddress(playAddr)) {
        cell.player()->configureWithURL(playAddr);
    } else {
        // Nothing to play: a reused cell must not go on with the video of another item.
        cell.player()->stop();
    }
    cell.setCoverUrl(model->cover.value_or(""));
    cell.titleLabel()->setText(model->title.value_or(""));
    cell.nameLabel()->setText(model->mixName.value_or(""));
    cell.descLabel()->setText(model->desc.value_or(""));

    if (!curPlayer_) {
        curPlayer_ = cell.player();
        curPlayer_->play();
    }

    std::weak_ptr<KKcandyleanViewController> weakSelf = self();
    const std::string douban = model->douban.value_or("");
    const std::string title = model->title.value_or("");
    cell.allButton()->setQmui_tapBlock([weakSelf, douban, title](UIControl&) {
        if (const auto page = weakSelf.lock()) {
            page->showAllEpisodes(douban, title);
        }
    });
    std::weak_ptr<KKcontrastpierce> weakItem = model;
    cell.shareButton()->setQmui_tapBlock([weakSelf, weakItem](UIControl&) {
        const auto page = weakSelf.lock();
        const auto shared = weakItem.lock();
        if (page && shared) {
            page->showSharePoster(shared);
        }
    });

    if (prePrefetchTask_) {
        prePrefetchTask_->cancel();
    }
    if (nextPrefetchTask_) {
        nextPrefetchTask_->cancel();
    }
    prePrefetchTask_ = prefetch(item - 1);
    nextPrefetchTask_ = prefetch(item + 1);

    if (item > static_cast<long>(list.size()) - 3) {
        loadMore();
    }
}

std::shared_ptr<MCSPrefetchTask> KKcandyleanViewController::prefetch(long item) {
    if (item < 0 || item >= static_cast<long>(list.size())) {
        return nullptr;
    }
    const std::string playAddr = list[static_cast<std::size_t>(item)]->playAddr.value_or("");
    if (!isWebAddress(playAddr)) {
        return nullptr;
    }
    return SJMediaCacheServer::shared().prefetchWithURL(
        playAddr, prefetchSize, [](float) {}, nullptr);
}

void KKcandyleanViewController::playVisibleCell() {
    std::shared_ptr<KKlenscontaminate> best;
    CGFloat tallest = 0;
    for (const auto& cell : collectionView_->visibleCells()) {
        const CGFloat height = intersectionWithView(*cell, *collectionView_, {}).size.height;
        if (height > tallest) {
            if (auto feedCell = std::dynamic_pointer_cast<KKlenscontaminate>(cell)) {
                tallest = height;
                best = std::move(feedCell);
            }
        }
    }
    if (!best) {
        return;
    }
    if (best->player() != curPlayer_) {
        if (curPlayer_) {
            curPlayer_->pause();
        }
        curPlayer_ = best->player();
    }
    if (!curPlayer_->isUserPaused()) {
        curPlayer_->play();
    }
}

void KKcandyleanViewController::didEndDragging(UIScrollView&, bool willDecelerate) {
    if (!willDecelerate) {
        playVisibleCell();
    }
}

void KKcandyleanViewController::didEndDecelerating(UIScrollView&) {
    playVisibleCell();
}

void KKcandyleanViewController::didScrollToTop(UIScrollView&) {
    playVisibleCell();
}

void KKcandyleanViewController::scrollToStartItem() {
    if (list.empty()) {
        return;
    }
    // The grid's index may lie beyond a list that changed meanwhile: stay inside it.
    const long last = static_cast<long>(list.size()) - 1;
    const long start = std::clamp(index, 0L, last);
    collectionView_->layoutIfNeeded();
    collectionView_->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(start, 0),
                                             UICollectionViewScrollPositionCenteredVertically, false);
    std::weak_ptr<KKcandyleanViewController> weakSelf = self();
    mainQueue().async([weakSelf] {
        if (const auto page = weakSelf.lock()) {
            page->playVisibleCell();
        }
    });
}

void KKcandyleanViewController::swipeRight() {
    showViewController(std::make_shared<KKleanceaseViewController>(), nullptr);
}

void KKcandyleanViewController::showAllEpisodes(const std::string& vodId, const std::string& title) {
    if (lookingUpEpisodes_) {
        return;
    }
    lookingUpEpisodes_ = true;
    QMUITips::showLoadingInView(view());
    std::weak_ptr<KKcandyleanViewController> weakSelf = self();
    apiClient.getVideoInfo(vodId, "douban",
                           [weakSelf, title](std::optional<JSON> json, std::optional<NSError> error) {
                               if (const auto page = weakSelf.lock()) {
                                   page->handleVideoInfo(json, error, title);
                               }
                           });
}

void KKcandyleanViewController::handleVideoInfo(const std::optional<JSON>& json,
                                                const std::optional<NSError>& error,
                                                const std::string& title) {
    lookingUpEpisodes_ = false;
    if (json && !json->isNull()) {
        auto resources = std::make_shared<KKgiganticgloomy>();
        resources->vod_id = (*json)["vod_id"].stringValue();
        showViewController(resources, nullptr);
    } else if (error) {
        auto search = std::make_shared<KKtenseadjacentViewController>();
        search->text = title;
        showViewController(search, nullptr);
    }
}

void KKcandyleanViewController::showSharePoster(const std::shared_ptr<KKcontrastpierce>& item) {
    auto poster = std::make_shared<KKceasevainViewController>();
    poster->model = item;
    poster->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    presentViewController(poster, true);
}
