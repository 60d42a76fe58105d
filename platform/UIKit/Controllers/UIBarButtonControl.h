#pragma once

#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIFont.h"

#include <memory>
#include <optional>
#include <string>

class UIImage;
class UIImageView;
class UILabel;

// The tappable view of a bar entry: an image followed by a title, both in the tint
// colour (images drawn as templates unless they ask to keep their own colours). Dims
// while pressed and when disabled.
class UIBarButtonControl : public UIControl {
  public:
    UIBarButtonControl();

    void setTitle(const std::string& title);
    const std::string& title() const;
    void setImage(std::shared_ptr<UIImage> image);
    void setFont(const UIFont& font);
    // The largest size the image is shown at; larger images are scaled down to fit.
    void setMaximumImageSize(CGSize size);

    CGSize intrinsicContentSize() const override;
    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void didMoveToSuperview() override;

  protected:
    void stateDidChange() override;
    void tintColorDidChange() override;

  private:
    CGSize imageSize() const;
    void updateColors();
    // Subviews can only be added once the control is shared, after construction.
    void attachContent();

    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UILabel> titleLabel_;
    CGSize maximumImageSize_{24, 24};
    bool contentAttached_ = false;
};
