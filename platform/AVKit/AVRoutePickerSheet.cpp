#include "platform/AVKit/AVRoutePickerSheet.h"

#include "platform/UIKit/Controls/UIButton.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UITapGestureRecognizer.h"

#include <algorithm>

namespace {

constexpr CGFloat kPanelHeight = 190;
constexpr CGFloat kPanelMaxWidth = 420;

} // namespace

std::shared_ptr<AVRoutePickerSheet> AVRoutePickerSheet::make(std::function<void()> onClose) {
    auto sheet = std::shared_ptr<AVRoutePickerSheet>(new AVRoutePickerSheet());
    sheet->onClose_ = std::move(onClose);
    sheet->setUp();
    return sheet;
}

void AVRoutePickerSheet::setUp() {
    std::weak_ptr<UIView> weak = sharedView();
    auto closeSheet = [weak] {
        if (auto sheet = weak.lock()) {
            static_cast<AVRoutePickerSheet&>(*sheet).close();
        }
    };

    dimming_ = std::make_shared<UIView>();
    dimming_->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
    dimming_->addGestureRecognizer(
        std::make_shared<UITapGestureRecognizer>([closeSheet](UIGestureRecognizer&) { closeSheet(); }));
    addSubview(dimming_);

    panel_ = std::make_shared<UIView>();
    panel_->setBackgroundColor(UIColor::whiteColor());
    panel_->layer()->setCornerRadius(12);
    panel_->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
    addSubview(panel_);

    auto title = std::make_shared<UILabel>();
    title->setText("隔空播放");
    title->setFont(UIFont::boldSystemFontOfSize(17));
    title->setTextAlignment(NSTextAlignment::center);
    titleLabel_ = title;
    panel_->addSubview(title);

    auto message = std::make_shared<UILabel>();
    message->setText("未找到可用的设备");
    message->setFont(UIFont::systemFontOfSize(15));
    message->setTextColor(UIColor::systemGrayColor());
    message->setTextAlignment(NSTextAlignment::center);
    messageLabel_ = message;
    panel_->addSubview(message);

    auto done = std::make_shared<UIButton>();
    done->setTitle("完成", UIControlStateNormal);
    done->setTitleColor(UIColor::colorWithRed(0, 122 / 255.0, 1, 1), UIControlStateNormal);
    done->titleLabel()->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
    done->addTarget([closeSheet](UIControl&) { closeSheet(); }, UIControlEventTouchUpInside);
    doneButton_ = done;
    panel_->addSubview(done);
}

CGRect AVRoutePickerSheet::panelFrame(bool shown) const {
    const CGRect area = bounds();
    const CGFloat width = std::min(area.size.width, kPanelMaxWidth);
    const CGFloat top = shown ? area.size.height - kPanelHeight : area.size.height;
    return {{(area.size.width - width) / 2, top}, {width, kPanelHeight}};
}

void AVRoutePickerSheet::showIn(const std::shared_ptr<UIView>& host) {
    host->addSubview(sharedView());
    UIView::performWithoutAnimation([&] {
        setFrame(host->bounds());
        dimming_->setAlpha(0);
        layoutIfNeeded();
    });
    shown_ = true;
    UIView::animateWithDuration(slideDuration, [this] {
        dimming_->setAlpha(1);
        setNeedsLayout();
        layoutIfNeeded();
    });
}

void AVRoutePickerSheet::close() {
    if (closing_) {
        return;
    }
    closing_ = true;
    shown_ = false;
    auto self = sharedView();
    UIView::animateWithDuration(
        slideDuration,
        [this] {
            dimming_->setAlpha(0);
            setNeedsLayout();
            layoutIfNeeded();
        },
        [self](bool) {
            auto& sheet = static_cast<AVRoutePickerSheet&>(*self);
            self->removeFromSuperview();
            if (sheet.onClose_) {
                auto onClose = std::move(sheet.onClose_);
                onClose();
            }
        });
}

void AVRoutePickerSheet::layoutSubviews() {
    UIView::layoutSubviews();
    dimming_->setFrame(bounds());
    const CGRect panel = panelFrame(shown_);
    panel_->setFrame(panel);
    const CGFloat width = panel.size.width;
    titleLabel_->setFrame({{16, 22}, {width - 32, 24}});
    messageLabel_->setFrame({{16, 62}, {width - 32, 22}});
    doneButton_->setFrame({{16, 116}, {width - 32, 44}});
}
