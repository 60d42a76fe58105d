#pragma once

#include "platform/UIKit/UIControl.h"

#include <memory>

class AVRoutePickerView;

// Told around the presentation of the device list.
class AVRoutePickerViewDelegate {
  public:
    virtual ~AVRoutePickerViewDelegate() = default;
    virtual void willBeginPresentingRoutes(AVRoutePickerView& routePickerView) {}
    virtual void didEndPresentingRoutes(AVRoutePickerView& routePickerView) {}
};

// The button that lists the devices media could be sent to (AirPlay receivers). This
// platform has no such devices: a tap opens a sheet saying that none was found, which a
// tap on "完成" or outside it closes. The delegate hears when the sheet opens and after it
// closed. The glyph is drawn in the tint colour, and in the active tint colour while the
// sheet is open.
class AVRoutePickerView : public UIControl {
  public:
    explicit AVRoutePickerView(const CGRect& frame = CGRectZero);
    ~AVRoutePickerView() override;

    std::weak_ptr<AVRoutePickerViewDelegate> delegate;

    // Shows the video-device glyph (a screen) instead of the audio one.
    bool prioritizesVideoDevices() const { return prioritizesVideoDevices_; }
    void setPrioritizesVideoDevices(bool prioritizes);
    UIColor activeTintColor() const { return activeTintColor_; }
    void setActiveTintColor(const UIColor& color);
    bool isPresentingRoutes() const { return !sheet_.expired(); }

    // Opens the device list, as a tap does; nothing when the picker is not in a window or
    // the list is already open.
    void presentRoutes();

  protected:
    void tintColorDidChange() override;

  private:
    void updateGlyph();
    void sheetDidClose();

    bool prioritizesVideoDevices_ = false;
    UIColor activeTintColor_ = UIColor::colorWithRed(0, 122 / 255.0, 1, 1);
    std::weak_ptr<UIView> sheet_;
};
