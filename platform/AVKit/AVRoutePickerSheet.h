#pragma once

#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>

// The device list of the route picker on a platform without devices: a dimmed cover with a
// panel at the bottom saying none was found. It slides in when shown and out when closed
// (by its button or a tap beside the panel), then removes itself and runs `onClose`.
class AVRoutePickerSheet : public UIView {
  public:
    static constexpr double slideDuration = 0.25;

    static std::shared_ptr<AVRoutePickerSheet> make(std::function<void()> onClose);

    // Covers `host` and slides the panel in.
    void showIn(const std::shared_ptr<UIView>& host);
    void close();

    void layoutSubviews() override;

  private:
    AVRoutePickerSheet() = default;
    void setUp();
    CGRect panelFrame(bool shown) const;

    std::function<void()> onClose_;
    std::shared_ptr<UIView> dimming_;
    std::shared_ptr<UIView> panel_;
    std::shared_ptr<UIView> titleLabel_;
    std::shared_ptr<UIView> messageLabel_;
    std::shared_ptr<UIView> doneButton_;
    bool shown_ = false;
    bool closing_ = false;
};
