#include "platform/SJVideoPlayer/SJEdgeControlLayer.h"

#include "platform/QuartzCore/CAGradientLayer.h"
#include "platform/SJVideoPlayer/SJVideoPlayerResources.h"

#include <cmath>
#include <cstdio>

namespace {

// How far the shades reach beyond their bars.
constexpr CGFloat kShadeOverhang = 20;

std::shared_ptr<UIView> makeShade(bool fromTop) {
    auto gradient = std::make_shared<CAGradientLayer>();
    const UIColor dark = UIColor::colorWithWhite(0, 0.55);
    const UIColor clear = UIColor::colorWithWhite(0, 0);
    gradient->setColors(fromTop ? std::vector<UIColor>{dark, clear} : std::vector<UIColor>{clear, dark});
    gradient->setStartPoint({0.5, 0});
    gradient->setEndPoint({0.5, 1});
    auto shade = std::make_shared<UIView>(CGRectZero, gradient);
    shade->setUserInteractionEnabled(false);
    return shade;
}

} // namespace

std::string SJFormatPlaybackTime(double seconds, double longest) {
    const long total = std::isfinite(seconds) && seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[32];
    if (std::isfinite(longest) && longest >= 3600) {
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%02ld:%02ld", total / 60, total % 60);
    }
    return text;
}

std::shared_ptr<SJEdgeControlLayer> SJEdgeControlLayer::make() {
    auto layer = std::shared_ptr<SJEdgeControlLayer>(new SJEdgeControlLayer());
    layer->setUp();
    return layer;
}

SJEdgeControlLayer::~SJEdgeControlLayer() = default;

void SJEdgeControlLayer::setUp() {
    topShade_ = makeShade(true);
    bottomShade_ = makeShade(false);
    topAdapter_ =
        std::make_shared<SJEdgeControlButtonItemAdapter>(SJAdapterItemsLayout::Horizontal, barThickness);
    leftAdapter_ =
        std::make_shared<SJEdgeControlButtonItemAdapter>(SJAdapterItemsLayout::Vertical, barThickness);
    centerAdapter_ =
        std::make_shared<SJEdgeControlButtonItemAdapter>(SJAdapterItemsLayout::Centered, barThickness);
    bottomAdapter_ =
        std::make_shared<SJEdgeControlButtonItemAdapter>(SJAdapterItemsLayout::Horizontal, barThickness);
    rightAdapter_ =
        std::make_shared<SJEdgeControlButtonItemAdapter>(SJAdapterItemsLayout::Vertical, barThickness);
    progressSlider_ = std::make_shared<SJProgressSlider>();
    bottomProgressIndicator_ = std::make_shared<SJProgressSlider>();
    bottomProgressIndicator_->setUserInteractionEnabled(false);
    bottomProgressIndicator_->setThumbSize(0);
    loadingView_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::whiteLarge);
    loadingView_->setUserInteractionEnabled(false);
    for (const std::shared_ptr<UIView>& view : std::vector<std::shared_ptr<UIView>>{
             topShade_, bottomShade_, bottomProgressIndicator_, loadingView_, centerAdapter_, leftAdapter_,
             rightAdapter_, topAdapter_, bottomAdapter_}) {
        addSubview(view);
    }
    makeItems();
    applyResources();
    std::weak_ptr<UIView> weak = sharedView();
    resourcesObserver_ = NotificationCenter::defaultCenter().addObserver(
        SJVideoPlayerResourcesDidChangeNotification, [weak](const Notification&) {
            if (auto view = weak.lock()) {
                static_cast<SJEdgeControlLayer&>(*view).applyResources();
            }
        });
    updateIndicator();
}

void SJEdgeControlLayer::makeItems() {
    topAdapter_->addItem(SJEdgeControlButtonItem::initWithImage(nullptr, SJEdgeControlLayerTopItem_Back));
    auto title = SJEdgeControlButtonItem::initWithTitle(std::nullopt, SJEdgeControlLayerTopItem_Title);
    title->setFill(true);
    topAdapter_->addItem(title);
    auto more = SJEdgeControlButtonItem::initWithImage(nullptr, SJEdgeControlLayerTopItem_More);
    more->setInnerHidden(true);
    topAdapter_->addItem(more);

    bottomAdapter_->addItem(
        SJEdgeControlButtonItem::initWithImage(nullptr, SJEdgeControlLayerBottomItem_Play));
    bottomAdapter_->addItem(
        SJEdgeControlButtonItem::initWithTitle(std::nullopt, SJEdgeControlLayerBottomItem_CurrentTime));
    bottomAdapter_->addItem(
        SJEdgeControlButtonItem::initWithTitle(std::nullopt, SJEdgeControlLayerBottomItem_Separator));
    bottomAdapter_->addItem(
        SJEdgeControlButtonItem::initWithTitle(std::nullopt, SJEdgeControlLayerBottomItem_DurationTime));
    auto progress =
        SJEdgeControlButtonItem::initWithCustomView(progressSlider_, SJEdgeControlLayerBottomItem_Progress);
    progress->setFill(true);
    progress->setInsets(SJEdgeInsetsMake(8, 8));
    bottomAdapter_->addItem(progress);
    bottomAdapter_->addItem(
        SJEdgeControlButtonItem::initWithImage(nullptr, SJEdgeControlLayerBottomItem_Full));

    auto replay = SJEdgeControlButtonItem::initWithImage(nullptr, SJEdgeControlLayerCenterItem_Replay);
    replay->setSize(60);
    replay->setInnerHidden(true);
    centerAdapter_->addItem(replay);
}

NSAttributedString SJEdgeControlLayer::text(const std::string& text, const UIFont& font) const {
    NSAttributedString::Attributes attributes;
    attributes.font = font;
    attributes.foregroundColor = SJVideoPlayerResources::shared().textColor;
    return NSAttributedString(text, attributes);
}

void SJEdgeControlLayer::applyResources() {
    const SJVideoPlayerResources& resources = SJVideoPlayerResources::shared();
    if (auto item = topAdapter_->itemForTag(SJEdgeControlLayerTopItem_Back)) {
        item->setImage(resources.backImage);
    }
    if (auto item = topAdapter_->itemForTag(SJEdgeControlLayerTopItem_More)) {
        item->setImage(resources.moreImage);
    }
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_Play)) {
        item->setImage(playing_ ? resources.pauseImage : resources.playImage);
    }
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_Full)) {
        item->setImage(fullscreen_ ? resources.smallScreenImage : resources.fullscreenImage);
    }
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_Separator)) {
        item->setTitle(text("/", resources.timeFont));
    }
    if (auto item = centerAdapter_->itemForTag(SJEdgeControlLayerCenterItem_Replay)) {
        item->setImage(resources.replayImage);
    }
    progressSlider_->setTrackColor(resources.progressTrackColor);
    progressSlider_->setBufferColor(resources.progressBufferColor);
    progressSlider_->setTraceColor(resources.progressTraceColor);
    progressSlider_->setThumbColor(resources.progressThumbColor);
    progressSlider_->setThumbImage(resources.progressThumbImage);
    progressSlider_->setThumbSize(resources.progressThumbSize);
    progressSlider_->setTrackHeight(resources.progressTrackHeight);
    bottomProgressIndicator_->setTrackColor(resources.bottomIndicatorTrackColor);
    bottomProgressIndicator_->setTraceColor(resources.bottomIndicatorTraceColor);
    bottomProgressIndicator_->setBufferColor(UIColor::clearColor());
    bottomProgressIndicator_->setTrackHeight(resources.bottomIndicatorHeight);
    setTitle(title_);
    updateTimes();
    setNeedsLayout();
}

void SJEdgeControlLayer::setShowsMoreItem(bool shows) {
    if (showsMoreItem_ == shows) {
        return;
    }
    showsMoreItem_ = shows;
    if (auto item = topAdapter_->itemForTag(SJEdgeControlLayerTopItem_More)) {
        item->setInnerHidden(!(showsMoreItem_ && fullscreen_));
    }
}

void SJEdgeControlLayer::setHiddenBottomProgressIndicator(bool hidden) {
    if (hiddenBottomProgressIndicator_ == hidden) {
        return;
    }
    hiddenBottomProgressIndicator_ = hidden;
    updateIndicator();
}

void SJEdgeControlLayer::setAppeared(bool appeared, bool animated) {
    if (appeared_ == appeared) {
        return;
    }
    appeared_ = appeared;
    auto change = [this] {
        const CGFloat alpha = appeared_ ? 1 : 0;
        for (const std::shared_ptr<UIView>& view : std::vector<std::shared_ptr<UIView>>{
                 topShade_, bottomShade_, topAdapter_, leftAdapter_, bottomAdapter_, rightAdapter_}) {
            view->setAlpha(alpha);
        }
        updateIndicator();
    };
    if (animated) {
        UIView::animateWithDuration(appearDuration, change);
    } else {
        UIView::performWithoutAnimation(change);
    }
}

void SJEdgeControlLayer::updateIndicator() {
    bottomProgressIndicator_->setAlpha(!appeared_ && !hiddenBottomProgressIndicator_ ? 1 : 0);
}

void SJEdgeControlLayer::setFullscreen(bool fullscreen, const UIEdgeInsets& safeInsets) {
    if (fullscreen_ == fullscreen && safeInsets_ == safeInsets) {
        return;
    }
    fullscreen_ = fullscreen;
    safeInsets_ = safeInsets;
    const SJVideoPlayerResources& resources = SJVideoPlayerResources::shared();
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_Full)) {
        item->setImage(fullscreen_ ? resources.smallScreenImage : resources.fullscreenImage);
    }
    if (auto item = topAdapter_->itemForTag(SJEdgeControlLayerTopItem_More)) {
        item->setInnerHidden(!(showsMoreItem_ && fullscreen_));
    }
    setNeedsLayout();
}

void SJEdgeControlLayer::setTitle(const std::string& title) {
    title_ = title;
    if (auto item = topAdapter_->itemForTag(SJEdgeControlLayerTopItem_Title)) {
        const SJVideoPlayerResources& resources = SJVideoPlayerResources::shared();
        item->setTitle(title_.empty() ? std::nullopt : std::optional(text(title_, resources.titleFont)));
    }
}

void SJEdgeControlLayer::setPlaying(bool playing) {
    if (playing_ == playing) {
        return;
    }
    playing_ = playing;
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_Play)) {
        const SJVideoPlayerResources& resources = SJVideoPlayerResources::shared();
        item->setImage(playing_ ? resources.pauseImage : resources.playImage);
    }
}

void SJEdgeControlLayer::setLoading(bool loading) {
    if (loading == loadingView_->isAnimating()) {
        return;
    }
    loading ? loadingView_->startAnimating() : loadingView_->stopAnimating();
}

void SJEdgeControlLayer::setReplayShown(bool shown) {
    if (auto item = centerAdapter_->itemForTag(SJEdgeControlLayerCenterItem_Replay)) {
        item->setInnerHidden(!shown);
    }
}

void SJEdgeControlLayer::setCurrentTime(double seconds) {
    currentTime_ = std::isfinite(seconds) ? seconds : 0;
    updateTimes();
}

void SJEdgeControlLayer::setDuration(double seconds) {
    duration_ = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    updateTimes();
}

void SJEdgeControlLayer::setPlayableDuration(double seconds) {
    playableDuration_ = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    updateTimes();
}

void SJEdgeControlLayer::updateTimes() {
    const SJVideoPlayerResources& resources = SJVideoPlayerResources::shared();
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_CurrentTime)) {
        item->setTitle(text(SJFormatPlaybackTime(currentTime_, duration_), resources.timeFont));
    }
    if (auto item = bottomAdapter_->itemForTag(SJEdgeControlLayerBottomItem_DurationTime)) {
        item->setTitle(text(SJFormatPlaybackTime(duration_, duration_), resources.timeFont));
    }
    const double buffered = duration_ > 0 ? playableDuration_ / duration_ : 0;
    for (const auto& slider : {progressSlider_, bottomProgressIndicator_}) {
        slider->setMaxValue(duration_);
        slider->setValue(currentTime_);
        slider->setBufferProgress(buffered);
    }
}

void SJEdgeControlLayer::layoutSubviews() {
    UIView::layoutSubviews();
    const CGRect area = bounds();
    const UIEdgeInsets insets = fullscreen_ ? safeInsets_ : UIEdgeInsets{};
    const CGFloat width = std::max<CGFloat>(0, area.size.width - insets.left - insets.right);
    const CGFloat topY = insets.top;
    const CGFloat bottomY = area.size.height - insets.bottom - barThickness;
    topAdapter_->setFrame({{insets.left, topY}, {width, barThickness}});
    bottomAdapter_->setFrame({{insets.left, bottomY}, {width, barThickness}});
    const CGFloat middleTop = topY + barThickness;
    const CGFloat middleHeight = std::max<CGFloat>(0, bottomY - middleTop);
    leftAdapter_->setFrame({{insets.left, middleTop}, {barThickness, middleHeight}});
    rightAdapter_->setFrame(
        {{area.size.width - insets.right - barThickness, middleTop}, {barThickness, middleHeight}});
    centerAdapter_->setFrame({{insets.left, middleTop}, {width, middleHeight}});
    topShade_->setFrame({{0, 0}, {area.size.width, topY + barThickness + kShadeOverhang}});
    const CGFloat bottomShadeTop = std::max<CGFloat>(0, bottomY - kShadeOverhang);
    bottomShade_->setFrame({{0, bottomShadeTop}, {area.size.width, area.size.height - bottomShadeTop}});
    const CGFloat indicatorHeight = SJVideoPlayerResources::shared().bottomIndicatorHeight;
    bottomProgressIndicator_->setFrame(
        {{0, area.size.height - indicatorHeight}, {area.size.width, indicatorHeight}});
    const CGSize spinner = loadingView_->sizeThatFits({CGFLOAT_MAX, CGFLOAT_MAX});
    loadingView_->setFrame(
        {{area.size.width / 2 - spinner.width / 2, area.size.height / 2 - spinner.height / 2}, spinner});
}
