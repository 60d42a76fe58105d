#pragma once

#include "platform/Foundation/NotificationCenter.h"
#include "platform/SJVideoPlayer/SJEdgeControlButtonItemAdapter.h"
#include "platform/SJVideoPlayer/SJProgressSlider.h"
#include "platform/UIKit/Controls/UIActivityIndicatorView.h"

#include <memory>
#include <string>

// The tags of the control layer's own items.
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerTopItem_Back = 10000;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerTopItem_Title = 10001;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerTopItem_More = 10002;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerBottomItem_Play = 10100;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerBottomItem_CurrentTime = 10101;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerBottomItem_Separator = 10102;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerBottomItem_DurationTime = 10103;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerBottomItem_Progress = 10104;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerBottomItem_Full = 10105;
inline constexpr SJEdgeControlButtonItemTag SJEdgeControlLayerCenterItem_Replay = 10200;

// The controls over the picture: five bars of items along the edges and in the middle
// (top: back, title, more; bottom: play, current time, "/", duration, progress, full
// screen; centre: replay at the end), shaded top and bottom, a loading indicator, and a
// thin progress line at the bottom while the bars are hidden. The layer only shows: the
// player gives it its state and answers its items. Views added to the layer by others
// (panels, overlays) stay when the bars hide.
class SJEdgeControlLayer : public UIView {
  public:
    static constexpr CGFloat barThickness = 49;
    static constexpr double appearDuration = 0.3;

    static std::shared_ptr<SJEdgeControlLayer> make();
    ~SJEdgeControlLayer() override;

    const std::shared_ptr<SJEdgeControlButtonItemAdapter>& topAdapter() const { return topAdapter_; }
    const std::shared_ptr<SJEdgeControlButtonItemAdapter>& leftAdapter() const { return leftAdapter_; }
    const std::shared_ptr<SJEdgeControlButtonItemAdapter>& centerAdapter() const { return centerAdapter_; }
    const std::shared_ptr<SJEdgeControlButtonItemAdapter>& bottomAdapter() const { return bottomAdapter_; }
    const std::shared_ptr<SJEdgeControlButtonItemAdapter>& rightAdapter() const { return rightAdapter_; }
    // The bottom bar's slider (the progress item's view).
    const std::shared_ptr<SJProgressSlider>& progressSlider() const { return progressSlider_; }
    const std::shared_ptr<SJProgressSlider>& bottomProgressIndicator() const {
        return bottomProgressIndicator_;
    }
    const std::shared_ptr<UIActivityIndicatorView>& loadingView() const { return loadingView_; }

    // The more item shows in full screen only, and only with this on.
    bool showsMoreItem() const { return showsMoreItem_; }
    void setShowsMoreItem(bool shows);
    bool hiddenBottomProgressIndicator() const { return hiddenBottomProgressIndicator_; }
    void setHiddenBottomProgressIndicator(bool hidden);

    // ---- State, from the player ----
    bool isAppeared() const { return appeared_; }
    void setAppeared(bool appeared, bool animated);
    bool isFullscreen() const { return fullscreen_; }
    // In full screen the bars keep clear of `safeInsets` (the turned status bar and home
    // indicator).
    void setFullscreen(bool fullscreen, const UIEdgeInsets& safeInsets);
    void setTitle(const std::string& title);
    void setPlaying(bool playing);
    void setLoading(bool loading);
    void setReplayShown(bool shown);
    void setCurrentTime(double seconds);
    void setDuration(double seconds);
    // Seconds of media loaded from the start.
    void setPlayableDuration(double seconds);

    // Applies the shared resources again.
    void applyResources();

    void layoutSubviews() override;

  private:
    SJEdgeControlLayer() = default;
    void setUp();
    void makeItems();
    void updateTimes();
    void updateIndicator();
    NSAttributedString text(const std::string& text, const UIFont& font) const;

    std::shared_ptr<UIView> topShade_;
    std::shared_ptr<UIView> bottomShade_;
    std::shared_ptr<SJEdgeControlButtonItemAdapter> topAdapter_;
    std::shared_ptr<SJEdgeControlButtonItemAdapter> leftAdapter_;
    std::shared_ptr<SJEdgeControlButtonItemAdapter> centerAdapter_;
    std::shared_ptr<SJEdgeControlButtonItemAdapter> bottomAdapter_;
    std::shared_ptr<SJEdgeControlButtonItemAdapter> rightAdapter_;
    std::shared_ptr<SJProgressSlider> progressSlider_;
    std::shared_ptr<SJProgressSlider> bottomProgressIndicator_;
    std::shared_ptr<UIActivityIndicatorView> loadingView_;
    NotificationCenter::ObserverToken resourcesObserver_;

    bool showsMoreItem_ = false;
    bool hiddenBottomProgressIndicator_ = false;
    bool appeared_ = true;
    bool fullscreen_ = false;
    bool playing_ = false;
    UIEdgeInsets safeInsets_;
    std::string title_;
    double currentTime_ = 0;
    double duration_ = 0;
    double playableDuration_ = 0;
};

// "mm:ss", or "hh:mm:ss" when `longest` (the media's duration) reaches an hour.
std::string SJFormatPlaybackTime(double seconds, double longest);
