#pragma once

#include "platform/UIKit/Controls/UIButton.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>
#include <vector>

// The panel of the more item: a column at the right edge listing the playback rates, the
// one in use marked. Choosing a rate or tapping beside the column closes it.
class SJMoreSettingsPanel : public UIView {
  public:
    static constexpr CGFloat columnWidth = 200;
    // The rates offered, slowest first.
    static const std::vector<float>& rates();

    static std::shared_ptr<SJMoreSettingsPanel> make(float currentRate,
                                                     std::function<void(float rate)> onChoose);

    // The button of each rate, in the order of rates().
    const std::vector<std::shared_ptr<UIButton>>& rateButtons() const { return buttons_; }
    // Removes the panel (without choosing).
    void close();

    void layoutSubviews() override;

  private:
    SJMoreSettingsPanel() = default;
    void setUp(float currentRate);

    std::function<void(float)> onChoose_;
    std::shared_ptr<UIView> column_;
    std::vector<std::shared_ptr<UIButton>> buttons_;
};
