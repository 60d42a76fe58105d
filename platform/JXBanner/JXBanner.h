#pragma once

#include "platform/Foundation/Timer.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewCell.h"
#include "platform/UIKit/Controls/UIPageControl.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class JXBanner;
class UICollectionViewFlowLayout;

// What happens at the last item: go on to the first (forward), jump back to the first
// without a scroll (skipEnd), or scroll back the other way (rollingBack).
enum class JXBannerCycleWay { forward = 0, skipEnd = 1, rollingBack = 2 };

struct JXBannerParams {
    bool isAutoPlay = true;
    double timeInterval = 5.0;
    JXBannerCycleWay cycleWay = JXBannerCycleWay::forward;
    bool isShowPageControl = true;
    bool isBounces = true;
};

struct JXBannerLayoutParams {
    // Nothing: as large as the banner.
    std::optional<CGSize> itemSize;
    CGFloat itemSpacing = 0;
};

// The cell class a banner shows its items in, and the identifier it is reused under.
struct JXBannerCellRegister {
    UICollectionView::CellFactory factory;
    std::string reuseIdentifier;

    template <class Cell> static JXBannerCellRegister of(std::string identifier) {
        return {[]() -> std::shared_ptr<UICollectionViewCell> { return std::make_shared<Cell>(); },
                std::move(identifier)};
    }
};

class JXBannerDataSource {
  public:
    virtual ~JXBannerDataSource() = default;
    virtual JXBannerCellRegister registerCell(JXBanner& banner) = 0;
    virtual long numberOfItems(JXBanner& banner) = 0;
    // Fills `cell` (of the registered class) for item `index` and answers it.
    virtual std::shared_ptr<UICollectionViewCell>
    cellForItemAt(JXBanner& banner, long index, std::shared_ptr<UICollectionViewCell> cell) = 0;
    // The banner's defaults, changed as the data source wants.
    virtual JXBannerParams params(JXBanner& banner, JXBannerParams params) { return params; }
    virtual JXBannerLayoutParams layoutParams(JXBanner& banner, JXBannerLayoutParams layoutParams) {
        return layoutParams;
    }
};

class JXBannerDelegate {
  public:
    virtual ~JXBannerDelegate() = default;
    virtual void didSelectItemAt(JXBanner& banner, long index) {}
};

// The banner's own cell: an image with a message line over its bottom.
class JXBannerCell : public UICollectionViewCell {
  public:
    JXBannerCell();

    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<UILabel>& msgLabel() const { return msgLabel_; }
    const std::shared_ptr<UIView>& msgBgView() const { return msgBgView_; }

    void layoutSubviews() override;

  private:
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UIView> msgBgView_;
    std::shared_ptr<UILabel> msgLabel_;
};

// A carousel of items that pages sideways, one item per swipe, with a page control. With
// more than one item it cycles (forward by default: after the last comes the first again,
// in both directions) and plays by itself every timeInterval seconds, pausing while a
// finger holds it and while it is off screen. Without items it shows its placeholder.
class JXBanner : public UIView {
  public:
    explicit JXBanner(const CGRect& frame = CGRectZero);
    ~JXBanner() override;

    // Held weakly.
    void setDataSource(const std::shared_ptr<JXBannerDataSource>& dataSource) { dataSource_ = dataSource; }
    void setDelegate(const std::shared_ptr<JXBannerDelegate>& delegate) { delegate_ = delegate; }

    // Shown while there are no items.
    const std::shared_ptr<UIImageView>& placeholderImgView() const { return placeholderImgView_; }
    const std::shared_ptr<UIPageControl>& pageControl() const { return pageControl_; }
    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }

    // Asks the data source again and starts over at the first item.
    void reloadView();
    long numberOfItems() const { return count_; }
    // The item shown now.
    long currentIndex() const;
    const JXBannerParams& params() const { return params_; }
    bool isPlaying() const { return timer_ != nullptr; }

    void layoutSubviews() override;
    void didMoveToWindow() override;
    void didMoveToSuperview() override;

  private:
    class Bridge;
    friend class Bridge;

    void attachParts();
    long itemsShown() const;
    CGFloat pageLength() const;
    void scrollToItem(long item, bool animated);
    void recentre();
    void updatePageControl();
    void startTimer();
    void stopTimer();
    void advance();

    std::weak_ptr<JXBannerDataSource> dataSource_;
    std::weak_ptr<JXBannerDelegate> delegate_;
    std::shared_ptr<UIImageView> placeholderImgView_;
    std::shared_ptr<UIPageControl> pageControl_;
    std::shared_ptr<UICollectionViewFlowLayout> layout_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<Bridge> bridge_;
    JXBannerParams params_;
    JXBannerLayoutParams layoutParams_;
    std::string reuseIdentifier_;
    long count_ = 0;
    // Direction of automatic play when rolling back.
    int direction_ = 1;
    std::shared_ptr<Timer> timer_;
    bool partsAttached_ = false;
    bool needsInitialPosition_ = false;
};
