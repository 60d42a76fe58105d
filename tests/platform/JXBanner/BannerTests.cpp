#include "platform/JXBanner/JXBanner.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Ads : public JXBannerDataSource, public JXBannerDelegate {
  public:
    JXBannerCellRegister registerCell(JXBanner&) override {
        return JXBannerCellRegister::of<JXBannerCell>("JXBannerCell");
    }
    long numberOfItems(JXBanner&) override { return count; }
    std::shared_ptr<UICollectionViewCell> cellForItemAt(JXBanner&, long index,
                                                        std::shared_ptr<UICollectionViewCell> cell) override {
        auto banner = std::static_pointer_cast<JXBannerCell>(cell);
        banner->msgLabel()->setHidden(true);
        banner->imageView()->setContentMode(UIViewContentMode::scaleAspectFill);
        banner->setTag(index);
        return cell;
    }
    JXBannerParams params(JXBanner&, JXBannerParams params) override {
        params.isAutoPlay = true;
        params.timeInterval = 5.0;
        params.cycleWay = cycleWay;
        params.isShowPageControl = true;
        return params;
    }
    JXBannerLayoutParams layoutParams(JXBanner&, JXBannerLayoutParams layoutParams) override {
        layoutParams.itemSize = CGSizeMake(375, 187.5);
        return layoutParams;
    }
    void didSelectItemAt(JXBanner&, long index) override { taps.push_back(index); }

    long count = 3;
    JXBannerCycleWay cycleWay = JXBannerCycleWay::forward;
    std::vector<long> taps;
};

class Banners : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 375, 667));
        window->makeKeyAndVisible();
        ads = std::make_shared<Ads>();
        banner = std::make_shared<JXBanner>(CGRectMake(0, 100, 375, 187.5));
        banner->setDataSource(ads);
        banner->setDelegate(ads);
        window->addSubview(banner);
        banner->reloadView();
        window->layoutIfNeeded();
    }

    // The item in sight, as the cell showing it says.
    long shownItem() {
        for (const auto& cell : banner->collectionView()->visibleCells()) {
            const CGRect frame = banner->collectionView()->convertRectToView(cell->frame(), banner.get());
            if (std::abs(frame.origin.x) < 1) {
                return cell->tag();
            }
        }
        return -1;
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Ads> ads;
    std::shared_ptr<JXBanner> banner;
};

} // namespace

TEST_F(Banners, PlaysByItselfEveryIntervalAndGoesOnPastTheLastItem) {
    EXPECT_EQ(banner->currentIndex(), 0);
    EXPECT_EQ(shownItem(), 0);
    EXPECT_TRUE(banner->isPlaying());
    EXPECT_EQ(banner->pageControl()->numberOfPages(), 3);
    EXPECT_FALSE(banner->pageControl()->isHidden());
    RunLoop::main().advance(4.9);
    EXPECT_EQ(banner->currentIndex(), 0);
    RunLoop::main().advance(0.5);
    std::vector<long> seen{banner->currentIndex()};
    for (int i = 0; i < 3; ++i) {
        RunLoop::main().advance(5);
        seen.push_back(banner->currentIndex());
        EXPECT_EQ(shownItem(), seen.back());
        EXPECT_EQ(banner->pageControl()->currentPage(), seen.back());
    }
    EXPECT_EQ(seen, (std::vector<long>{1, 2, 0, 1})) << "forward, the first item after the last";
}

TEST_F(Banners, SwipingTurnsOneItemEitherWayAndCyclesBackwards) {
    TouchScript(*window).drag({300, 200}, {-120, 0}, 0.08);
    RunLoop::main().advance(1);
    EXPECT_EQ(banner->currentIndex(), 1);
    TouchScript(*window).drag({100, 200}, {120, 0}, 0.08);
    RunLoop::main().advance(1);
    EXPECT_EQ(banner->currentIndex(), 0);
    TouchScript(*window).drag({100, 200}, {120, 0}, 0.08);
    RunLoop::main().advance(1);
    EXPECT_EQ(banner->currentIndex(), 2) << "before the first comes the last";
    EXPECT_EQ(shownItem(), 2);
}

TEST_F(Banners, AHeldFingerPausesThePlay) {
    window->handleTouch(UITouchPhase::began, {200, 200}, RunLoop::main().now());
    for (int i = 1; i <= 5; ++i) {
        RunLoop::main().advance(1.0 / 60);
        window->handleTouch(UITouchPhase::moved, {200.0 - 4 * i, 200}, RunLoop::main().now());
    }
    for (int i = 0; i < 60; ++i) {
        RunLoop::main().advance(0.2);
        window->handleTouch(UITouchPhase::moved, {180, 200}, RunLoop::main().now());
    }
    EXPECT_FALSE(banner->isPlaying());
    EXPECT_EQ(banner->currentIndex(), 0);
    window->handleTouch(UITouchPhase::ended, {180, 200}, RunLoop::main().now());
    RunLoop::main().advance(1);
    EXPECT_TRUE(banner->isPlaying());
    RunLoop::main().advance(5);
    EXPECT_EQ(banner->currentIndex(), 1);
}

TEST_F(Banners, ATapReportsTheRealItem) {
    RunLoop::main().advance(5.4);
    TouchScript(*window).tap({180, 180});
    EXPECT_EQ(ads->taps, std::vector<long>{1});
}

TEST_F(Banners, NoItemsShowThePlaceholderAndOneItemStaysStill) {
    ads->count = 0;
    banner->reloadView();
    EXPECT_FALSE(banner->placeholderImgView()->isHidden());
    EXPECT_TRUE(banner->collectionView()->isHidden());
    EXPECT_FALSE(banner->isPlaying());

    ads->count = 1;
    banner->reloadView();
    window->layoutIfNeeded();
    EXPECT_TRUE(banner->placeholderImgView()->isHidden());
    EXPECT_FALSE(banner->isPlaying());
    EXPECT_TRUE(banner->pageControl()->isHidden());
    EXPECT_EQ(banner->collectionView()->numberOfItemsInSection(0), 1);
}

TEST_F(Banners, RollingBackTurnsAroundAtTheEnds) {
    ads->cycleWay = JXBannerCycleWay::rollingBack;
    banner->reloadView();
    window->layoutIfNeeded();
    std::vector<long> seen;
    RunLoop::main().advance(0.4);
    for (int i = 0; i < 5; ++i) {
        RunLoop::main().advance(5);
        seen.push_back(banner->currentIndex());
    }
    EXPECT_EQ(seen, (std::vector<long>{1, 2, 1, 0, 1}));
}

TEST_F(Banners, PlayStopsOffScreen) {
    banner->removeFromSuperview();
    EXPECT_FALSE(banner->isPlaying());
    window->addSubview(banner);
    EXPECT_TRUE(banner->isPlaying());
}
