#pragma once

#include "platform/UIKit/UIBlurEffect.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// Shows its effect over what lies behind it. The backdrop a blur effect blurs is the
// picture of the image view it sits in (the only backdrop it is given here), placed as that
// view places it; the material's tint covers the view in any case. The blurred picture is
// made once per picture in the background (see BackdropBlur): until it is ready the view
// shows the tint alone, and drawing it afterwards costs no more than drawing a picture.
class UIVisualEffectView : public UIView, public CALayerDelegate {
  public:
    explicit UIVisualEffectView(std::shared_ptr<UIVisualEffect> effect);
    ~UIVisualEffectView() override;

    const std::shared_ptr<UIVisualEffect>& effect() const { return effect_; }
    void setEffect(std::shared_ptr<UIVisualEffect> effect);

    // The picture behind the view that it blurs, and its blurred copy once made.
    const std::shared_ptr<UIImage>& backdrop() const { return backdrop_; }
    const std::shared_ptr<UIImage>& blurredBackdrop() const { return blurredBackdrop_; }
    // The picture behind the view changed (an image view tells the effects inside it).
    void backdropDidChange();

    void didMoveToSuperview() override;
    void drawLayer(CALayer& layer, cairo_t* context) override;

  private:
    void updateBlur();

    std::shared_ptr<UIVisualEffect> effect_;
    std::shared_ptr<UIImage> backdrop_;
    std::shared_ptr<UIImage> blurredBackdrop_;
};
