#include "platform/UIKit/UIVisualEffectView.h"

#include "platform/QuartzCore/LayerPainter.h"
#include "platform/QuartzCore/RenderColors.h"
#include "platform/UIKit/BackdropBlur.h"
#include "platform/render/Paint.h"

UIVisualEffectView::UIVisualEffectView(std::shared_ptr<UIVisualEffect> effect) : effect_(std::move(effect)) {
    layer()->setDelegate(this);
}

UIVisualEffectView::~UIVisualEffectView() {
    layer()->setDelegate(nullptr);
}

void UIVisualEffectView::setEffect(std::shared_ptr<UIVisualEffect> effect) {
    if (effect_ == effect) {
        return;
    }
    effect_ = std::move(effect);
    updateBlur();
    setNeedsDisplay();
}

void UIVisualEffectView::didMoveToSuperview() {
    updateBlur();
}

void UIVisualEffectView::backdropDidChange() {
    updateBlur();
}

void UIVisualEffectView::updateBlur() {
    const auto holder = superview();
    std::shared_ptr<UIImage> picture;
    if (holder && std::dynamic_pointer_cast<UIBlurEffect>(effect_)) {
        picture = holder->layer()->contents();
    }
    if (picture != backdrop_) {
        backdrop_ = picture;
        blurredBackdrop_ = nullptr;
        setNeedsDisplay();
    }
    if (!picture || !picture->CGImage() || picture->size().width <= 0) {
        return;
    }
    std::weak_ptr<UIResponder> weak = weak_from_this();
    CGImageRef copy = BackdropBlur::shared().blurred(picture->CGImage(), [weak] {
        if (auto view = std::static_pointer_cast<UIVisualEffectView>(weak.lock())) {
            view->updateBlur();
        }
    });
    if (copy && (!blurredBackdrop_ || blurredBackdrop_->CGImage() != copy)) {
        // The copy may have fewer pixels than the picture; it covers the same points.
        blurredBackdrop_ = std::make_shared<UIImage>(copy, copy->width() / picture->size().width);
        setNeedsDisplay();
    }
}

void UIVisualEffectView::drawLayer(CALayer& layer, cairo_t* context) {
    const CGRect bounds = layer.bounds();
    const auto blur = std::dynamic_pointer_cast<UIBlurEffect>(effect_);
    if (!blur || bounds.isEmpty()) {
        return;
    }
    cairo_save(context);
    cairo_rectangle(context, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
    cairo_clip(context);
    const auto holder = superview();
    if (blurredBackdrop_ && backdrop_ && holder) {
        const CGRect placed =
            placeContents(backdrop_->size(), holder->bounds(), holder->layer()->contentsGravity());
        render::drawImage(context, *blurredBackdrop_->CGImage(), convertRectFromView(placed, holder.get()));
    }
    render::setSourceColor(context, toRGBA(blur->tintColor()));
    cairo_paint(context);
    cairo_restore(context);
}
