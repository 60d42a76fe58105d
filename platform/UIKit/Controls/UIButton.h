#pragma once

#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

enum class UIButtonType { custom, system };

// A control showing a title and an image, each with its own look per control state
// (normal, highlighted, selected, disabled); a state without its own value shows the
// normal one. The content sits inside the content edge insets, aligned as the control
// says; the image goes before the title with no space unless a subclass arranges
// otherwise. The title is one line.
//
// The title label and image view are put into the button as soon as it is owned by a
// shared_ptr (views cannot take subviews while still being constructed).
class UIButton : public UIControl {
  public:
    explicit UIButton(const CGRect& frame = CGRectZero, UIButtonType type = UIButtonType::custom);
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);
    ~UIButton() override;

    UIButtonType buttonType() const { return type_; }

    // ---- Values per state ----
    void setTitle(std::optional<std::string> title, UIControlState state);
    std::optional<std::string> titleForState(UIControlState state) const;
    void setAttributedTitle(std::optional<NSAttributedString> title, UIControlState state);
    std::optional<NSAttributedString> attributedTitleForState(UIControlState state) const;
    void setTitleColor(std::optional<UIColor> color, UIControlState state);
    std::optional<UIColor> titleColorForState(UIControlState state) const;
    void setImage(std::shared_ptr<UIImage> image, UIControlState state);
    std::shared_ptr<UIImage> imageForState(UIControlState state) const;
    void setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state);
    std::shared_ptr<UIImage> backgroundImageForState(UIControlState state) const;

    // ---- What shows now ----
    std::optional<std::string> currentTitle() const { return titleForState(state()); }
    UIColor currentTitleColor() const;
    std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
    const std::shared_ptr<UILabel>& titleLabel();
    const std::shared_ptr<UIImageView>& imageView();

    UIEdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
    void setContentEdgeInsets(const UIEdgeInsets& insets);
    // Dims the content while highlighted (or disabled) when that state has no look of its own.
    bool adjustsImageWhenHighlighted = true;
    bool adjustsImageWhenDisabled = true;

    // ---- UIView ----
    CGSize intrinsicContentSize() const override;
    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void didMoveToSuperview() override;

  protected:
    enum class ImagePosition { top, left, bottom, right };
    // Where the image goes relative to the title, and the space between them when both show.
    void setImageArrangement(ImagePosition position, CGFloat spacing);
    void stateDidChange() override;
    void tintColorDidChange() override;
    void attachParts();

  private:
    template <class T> struct PerState {
        std::map<UIControlState, T> values;
        // The value for `state`, falling back through selected, highlighted, disabled, normal.
        const T* lookup(UIControlState state) const;
    };
    void contentChanged();
    void updateShownContent();
    CGSize contentSize() const;
    CGSize titleSize() const;
    CGSize imageSize() const;

    UIButtonType type_;
    PerState<std::string> titles_;
    PerState<NSAttributedString> attributedTitles_;
    PerState<UIColor> titleColors_;
    PerState<std::shared_ptr<UIImage>> images_;
    PerState<std::shared_ptr<UIImage>> backgroundImages_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UIImageView> backgroundImageView_;
    UIEdgeInsets contentEdgeInsets_;
    ImagePosition imagePosition_ = ImagePosition::left;
    CGFloat imageTitleSpacing_ = 0;
    bool partsAttached_ = false;
    mutable CGSize reportedIntrinsicSize_;
};
