#include "platform/JXBanner/JXBanner.h"

#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Items a cycling banner lays out per real item; it starts in the middle and is put back
// there whenever it comes to rest near either end, so it never meets an end.
constexpr long kCycleGroups = 200;
constexpr long kRecentreMargin = 10;
constexpr CGFloat kPageControlHeight = 26;
// A swipe faster than this (points per millisecond) turns a page even when short.
constexpr CGFloat kFlickVelocity = 0.2;

} // namespace

// Feeds the banner's collection view and hears its scrolling.
class JXBanner::Bridge final : public UICollectionViewDataSource, public UICollectionViewDelegate {
  public:
    explicit Bridge(JXBanner& banner) : banner_(banner) {}

    long numberOfItemsInSection(UICollectionView&, long) override { return banner_.itemsShown(); }

    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& view,
                                                        const NSIndexPath& path) override {
        const long index = path.item % std::max(1L, banner_.count_);
        auto cell = view.dequeueReusableCellWithReuseIdentifier(banner_.reuseIdentifier_, path);
        if (auto dataSource = banner_.dataSource_.lock()) {
            if (auto filled = dataSource->cellForItemAt(banner_, index, cell)) {
                return filled;
            }
        }
        return cell;
    }

    void didSelectItemAt(UICollectionView&, const NSIndexPath& path) override {
        if (auto delegate = banner_.delegate_.lock()) {
            delegate->didSelectItemAt(banner_, path.item % std::max(1L, banner_.count_));
        }
    }

    void didScroll(UIScrollView&) override { banner_.updatePageControl(); }

    void willBeginDragging(UIScrollView& scroll) override {
        banner_.stopTimer();
        dragStartItem_ = std::lround(scroll.contentOffset().x / banner_.pageLength());
    }

    // One item per swipe: the next or previous one for a flick, else the nearest.
    void willEndDragging(UIScrollView& scroll, CGPoint velocity, CGPoint& target) override {
        const CGFloat page = banner_.pageLength();
        if (page <= 0) {
            return;
        }
        long item = std::lround(scroll.contentOffset().x / page);
        if (velocity.x > kFlickVelocity) {
            item = dragStartItem_ + 1;
        } else if (velocity.x < -kFlickVelocity) {
            item = dragStartItem_ - 1;
        }
        item = std::clamp(item, 0L, std::max(0L, banner_.itemsShown() - 1));
        target.x = scroll.horizontalOffsetRange().clamp(page * static_cast<CGFloat>(item));
    }

    void didEndDragging(UIScrollView&, bool willDecelerate) override {
        if (!willDecelerate) {
            settled();
        }
    }
    void didEndDecelerating(UIScrollView&) override { settled(); }
    void didEndScrollingAnimation(UIScrollView&) override { settled(); }

  private:
    void settled() {
        banner_.recentre();
        banner_.updatePageControl();
        // Play resumes after a swipe; its own scrolls keep the timer's rhythm.
        if (!banner_.isPlaying()) {
            banner_.startTimer();
        }
    }

    JXBanner& banner_;
    long dragStartItem_ = 0;
};

// ---- JXBannerCell ---------------------------------------------------------------------------

JXBannerCell::JXBannerCell()
    : imageView_(std::make_shared<UIImageView>()), msgBgView_(std::make_shared<UIView>()),
      msgLabel_(std::make_shared<UILabel>()) {
    imageView_->setClipsToBounds(true);
    msgBgView_->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
    msgLabel_->setTextColor(UIColor::whiteColor());
    msgLabel_->setFont(UIFont::systemFontOfSize(14));
    auto& content = contentView();
    content->addSubview(imageView_);
    content->addSubview(msgBgView_);
    content->addSubview(msgLabel_);
}

void JXBannerCell::layoutSubviews() {
    UICollectionViewCell::layoutSubviews();
    const CGRect bounds = contentView()->bounds();
    imageView_->setFrame(bounds);
    const CGFloat barHeight = 30;
    msgBgView_->setFrame({{0, bounds.size.height - barHeight}, {bounds.size.width, barHeight}});
    msgLabel_->setFrame(
        {{10, bounds.size.height - barHeight}, {std::max<CGFloat>(0, bounds.size.width - 20), barHeight}});
}

// ---- JXBanner ---------------------------------------------------------------------------------

JXBanner::JXBanner(const CGRect& frame)
    : UIView(frame), placeholderImgView_(std::make_shared<UIImageView>()),
      pageControl_(std::make_shared<UIPageControl>()),
      layout_(std::make_shared<UICollectionViewFlowLayout>()),
      collectionView_(std::make_shared<UICollectionView>(CGRect{{0, 0}, frame.size}, layout_)) {
    bridge_ = std::make_shared<Bridge>(*this);
    layout_->setScrollDirection(UICollectionViewScrollDirection::horizontal);
    layout_->setMinimumLineSpacing(0);
    layout_->setMinimumInteritemSpacing(0);
    collectionView_->setShowsHorizontalScrollIndicator(false);
    collectionView_->setShowsVerticalScrollIndicator(false);
    collectionView_->setDecelerationRate(UIScrollViewDecelerationRateFast);
    collectionView_->setScrollsToTop(false);
    collectionView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    collectionView_->setBackgroundColor(UIColor::clearColor());
    collectionView_->setDataSource(bridge_);
    collectionView_->setDelegate(bridge_);
    collectionView_->setHidden(true);
    placeholderImgView_->setClipsToBounds(true);
    pageControl_->setHidesForSinglePage(true);
    pageControl_->setUserInteractionEnabled(false);
    setClipsToBounds(true);
}

JXBanner::~JXBanner() {
    stopTimer();
}

void JXBanner::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    addSubview(placeholderImgView_);
    addSubview(collectionView_);
    addSubview(pageControl_);
}

void JXBanner::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachParts();
}

void JXBanner::didMoveToWindow() {
    UIView::didMoveToWindow();
    if (window() != nullptr) {
        startTimer();
    } else {
        stopTimer();
    }
}

long JXBanner::itemsShown() const {
    const bool cycles = count_ > 1 && params_.cycleWay == JXBannerCycleWay::forward;
    return cycles ? count_ * kCycleGroups : count_;
}

CGFloat JXBanner::pageLength() const {
    const CGFloat itemWidth = layoutParams_.itemSize ? layoutParams_.itemSize->width : bounds().size.width;
    return itemWidth + layoutParams_.itemSpacing;
}

void JXBanner::reloadView() {
    attachParts();
    auto self = sharedView();
    stopTimer();
    auto dataSource = dataSource_.lock();
    params_ = JXBannerParams{};
    layoutParams_ = JXBannerLayoutParams{};
    count_ = 0;
    if (dataSource) {
        JXBannerCellRegister cellRegister = dataSource->registerCell(*this);
        if (!cellRegister.factory) {
            cellRegister = JXBannerCellRegister::of<JXBannerCell>(
                cellRegister.reuseIdentifier.empty() ? "JXBannerCell" : cellRegister.reuseIdentifier);
        }
        reuseIdentifier_ = cellRegister.reuseIdentifier;
        collectionView_->registerClass(cellRegister.factory, reuseIdentifier_);
        count_ = std::max(0L, dataSource->numberOfItems(*this));
        params_ = dataSource->params(*this, params_);
        layoutParams_ = dataSource->layoutParams(*this, layoutParams_);
    }
    collectionView_->setBounces(params_.isBounces);
    collectionView_->setHidden(count_ == 0);
    placeholderImgView_->setHidden(count_ > 0);
    pageControl_->setNumberOfPages(count_);
    pageControl_->setHidden(!params_.isShowPageControl || count_ <= 1);
    direction_ = 1;
    collectionView_->reloadData();
    needsInitialPosition_ = true;
    setNeedsLayout();
    if (bounds().size.width > 0) {
        layoutSubviews();
    }
    startTimer();
}

void JXBanner::layoutSubviews() {
    attachParts();
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    placeholderImgView_->setFrame(bounds);
    collectionView_->setFrame(bounds);
    pageControl_->setFrame(
        {{0, bounds.size.height - kPageControlHeight}, {bounds.size.width, kPageControlHeight}});
    const CGSize item = layoutParams_.itemSize.value_or(bounds.size);
    layout_->setItemSize(item);
    layout_->setMinimumLineSpacing(layoutParams_.itemSpacing);
    const CGFloat side = std::max<CGFloat>(0, (bounds.size.width - item.width) / 2);
    const CGFloat top = std::max<CGFloat>(0, (bounds.size.height - item.height) / 2);
    layout_->setSectionInset({top, side, top, side});
    if (needsInitialPosition_ && bounds.size.width > 0) {
        needsInitialPosition_ = false;
        collectionView_->layoutIfNeeded();
        scrollToItem(itemsShown() > count_ ? count_ * (kCycleGroups / 2) : 0, false);
        updatePageControl();
    }
}

long JXBanner::currentIndex() const {
    const CGFloat page = pageLength();
    if (count_ == 0 || page <= 0) {
        return 0;
    }
    const long item = std::max(0L, std::lround(collectionView_->contentOffset().x / page));
    return item % count_;
}

void JXBanner::scrollToItem(long item, bool animated) {
    const CGFloat page = pageLength();
    item = std::clamp(item, 0L, std::max(0L, itemsShown() - 1));
    collectionView_->setContentOffset(
        {collectionView_->horizontalOffsetRange().clamp(page * static_cast<CGFloat>(item)), 0}, animated);
}

void JXBanner::recentre() {
    if (itemsShown() <= count_) {
        return;
    }
    const CGFloat page = pageLength();
    const long item = std::lround(collectionView_->contentOffset().x / page);
    if (item < count_ * kRecentreMargin || item >= itemsShown() - count_ * kRecentreMargin) {
        scrollToItem(count_ * (kCycleGroups / 2) + item % count_, false);
    }
}

void JXBanner::updatePageControl() {
    pageControl_->setCurrentPage(currentIndex());
}

void JXBanner::startTimer() {
    stopTimer();
    if (!params_.isAutoPlay || count_ <= 1 || params_.timeInterval <= 0 || window() == nullptr ||
        collectionView_->isDragging()) {
        return;
    }
    std::weak_ptr<UIView> weak = sharedView();
    timer_ = Timer::scheduledTimer(params_.timeInterval, true, [weak](Timer&) {
        if (auto self = std::static_pointer_cast<JXBanner>(weak.lock())) {
            self->advance();
        }
    });
}

void JXBanner::stopTimer() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

void JXBanner::advance() {
    if (count_ <= 1 || collectionView_->isDragging() || collectionView_->isScrollAnimating()) {
        return;
    }
    const CGFloat page = pageLength();
    const long item = std::lround(collectionView_->contentOffset().x / page);
    switch (params_.cycleWay) {
    case JXBannerCycleWay::forward:
        scrollToItem(item + 1, true);
        break;
    case JXBannerCycleWay::skipEnd:
        if (item + 1 >= count_) {
            scrollToItem(0, false);
            updatePageControl();
        } else {
            scrollToItem(item + 1, true);
        }
        break;
    case JXBannerCycleWay::rollingBack:
        if (item + direction_ < 0 || item + direction_ >= count_) {
            direction_ = -direction_;
        }
        scrollToItem(item + direction_, true);
        break;
    }
}
