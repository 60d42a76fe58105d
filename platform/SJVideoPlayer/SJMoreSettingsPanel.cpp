#include "platform/SJVideoPlayer/SJMoreSettingsPanel.h"

#include "platform/SJVideoPlayer/SJVideoPlayerResources.h"
#include "platform/UIKit/UITapGestureRecognizer.h"

#include <cstdio>

const std::vector<float>& SJMoreSettingsPanel::rates() {
    static const std::vector<float> offered{0.5f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f};
    return offered;
}

std::shared_ptr<SJMoreSettingsPanel> SJMoreSettingsPanel::make(float currentRate,
                                                               std::function<void(float rate)> onChoose) {
    auto panel = std::shared_ptr<SJMoreSettingsPanel>(new SJMoreSettingsPanel());
    panel->onChoose_ = std::move(onChoose);
    panel->setUp(currentRate);
    return panel;
}

void SJMoreSettingsPanel::setUp(float currentRate) {
    std::weak_ptr<UIView> weak = sharedView();
    addGestureRecognizer(std::make_shared<UITapGestureRecognizer>([weak](UIGestureRecognizer&) {
        if (auto panel = weak.lock()) {
            static_cast<SJMoreSettingsPanel&>(*panel).close();
        }
    }));
    column_ = std::make_shared<UIView>();
    column_->setBackgroundColor(UIColor::colorWithWhite(0, 0.75));
    addSubview(column_);
    const SJVideoPlayerResources& resources = SJVideoPlayerResources::shared();
    for (const float rate : rates()) {
        char title[16];
        std::snprintf(title, sizeof title, "%gX", static_cast<double>(rate));
        auto button = std::make_shared<UIButton>();
        button->setTitle(std::string(title), UIControlStateNormal);
        button->setTitleColor(rate == currentRate ? resources.progressTraceColor : resources.textColor,
                              UIControlStateNormal);
        button->titleLabel()->setFont(resources.titleFont);
        button->addTarget(
            [weak, rate](UIControl&) {
                auto panel = weak.lock();
                if (!panel) {
                    return;
                }
                auto& self = static_cast<SJMoreSettingsPanel&>(*panel);
                auto choose = self.onChoose_;
                self.close();
                if (choose) {
                    choose(rate);
                }
            },
            UIControlEventTouchUpInside);
        column_->addSubview(button);
        buttons_.push_back(button);
    }
}

void SJMoreSettingsPanel::close() {
    onChoose_ = nullptr;
    removeFromSuperview();
}

void SJMoreSettingsPanel::layoutSubviews() {
    UIView::layoutSubviews();
    const CGRect area = bounds();
    column_->setFrame({{area.size.width - columnWidth, 0}, {columnWidth, area.size.height}});
    const CGFloat rowHeight = buttons_.empty() ? 0 : area.size.height / static_cast<CGFloat>(buttons_.size());
    for (size_t index = 0; index < buttons_.size(); ++index) {
        // Fastest on top.
        const size_t row = buttons_.size() - 1 - index;
        buttons_[index]->setFrame({{0, rowHeight * static_cast<CGFloat>(row)}, {columnWidth, rowHeight}});
    }
}
