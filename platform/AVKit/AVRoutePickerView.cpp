#include "platform/AVKit/AVRoutePickerView.h"

#include "platform/AVKit/AVRoutePickerSheet.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIWindow.h"

namespace {

// The picker's glyphs, drawn in black and shown in the tint colour.
std::shared_ptr<UIImage> glyph(bool video) {
    static const std::shared_ptr<UIImage> screen = UIImage::imageWithData(
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">)"
        R"(<path d="M7 17H4.5A1.5 1.5 0 0 1 3 15.5v-10A1.5 1.5 0 0 1 4.5 4h15A1.5 1.5 0 0 1 21 5.5v10a1.5 1.5 0 0 1-1.5 1.5H17")"
        R"( fill="none" stroke="#000" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>)"
        R"(<path d="M12 14l5 6.5H7z" fill="#000"/></svg>)",
        0);
    static const std::shared_ptr<UIImage> waves = UIImage::imageWithData(
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">)"
        R"(<path d="M7.8 16.2a6 6 0 1 1 8.4 0M5.3 18.7a9.5 9.5 0 1 1 13.4 0")"
        R"( fill="none" stroke="#000" stroke-width="1.8" stroke-linecap="round"/>)"
        R"(<path d="M12 14l5 6.5H7z" fill="#000"/></svg>)",
        0);
    return video ? screen : waves;
}

// Where the sheet goes: the outermost turned view holding the picker (a player in full
// screen), so that the sheet reads the same way as the picker; else the window.
std::shared_ptr<UIView> sheetHost(UIView& picker) {
    std::shared_ptr<UIView> host;
    for (auto view = picker.superview(); view && view.get() != picker.window(); view = view->superview()) {
        if (!view->transform().isIdentity()) {
            host = view;
        }
    }
    if (host) {
        return host;
    }
    UIWindow* window = picker.window();
    return window != nullptr ? window->sharedView() : nullptr;
}

} // namespace

AVRoutePickerView::AVRoutePickerView(const CGRect& frame) : UIControl(frame) {
    layer()->setContentsGravity(CALayerContentsGravity::resizeAspect);
    updateGlyph();
    // The target belongs to the picker, so the pointer never outlives it.
    addTarget([this](UIControl&) { presentRoutes(); }, UIControlEventTouchUpInside);
}

AVRoutePickerView::~AVRoutePickerView() = default;

void AVRoutePickerView::setPrioritizesVideoDevices(bool prioritizes) {
    if (prioritizesVideoDevices_ == prioritizes) {
        return;
    }
    prioritizesVideoDevices_ = prioritizes;
    updateGlyph();
}

void AVRoutePickerView::setActiveTintColor(const UIColor& color) {
    if (activeTintColor_ == color) {
        return;
    }
    activeTintColor_ = color;
    updateGlyph();
}

void AVRoutePickerView::tintColorDidChange() {
    updateGlyph();
}

void AVRoutePickerView::updateGlyph() {
    layer()->setContents(glyph(prioritizesVideoDevices_));
    layer()->setContentsTintColor(isPresentingRoutes() ? activeTintColor_ : tintColor());
}

void AVRoutePickerView::presentRoutes() {
    if (isPresentingRoutes()) {
        return;
    }
    auto host = sheetHost(*this);
    if (!host) {
        return;
    }
    if (auto watcher = delegate.lock()) {
        watcher->willBeginPresentingRoutes(*this);
    }
    std::weak_ptr<UIView> weak = sharedView();
    auto sheet = AVRoutePickerSheet::make([weak] {
        if (auto picker = weak.lock()) {
            static_cast<AVRoutePickerView&>(*picker).sheetDidClose();
        }
    });
    sheet_ = sheet;
    sheet->showIn(host);
    updateGlyph();
}

void AVRoutePickerView::sheetDidClose() {
    sheet_.reset();
    updateGlyph();
    if (auto watcher = delegate.lock()) {
        watcher->didEndPresentingRoutes(*this);
    }
}
