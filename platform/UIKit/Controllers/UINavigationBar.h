#pragma once

#include "platform/UIKit/Controllers/UIViewControllerTypes.h"
#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <optional>
#include <vector>

class UIBarButtonControl;
class UIBarButtonItem;
class UIImage;
class UILabel;
class UINavigationBar;
class UINavigationItem;

class UINavigationBarDelegate {
  public:
    virtual ~UINavigationBarDelegate() = default;
    // The back button was tapped while `item` was on top.
    virtual void backButtonTapped(UINavigationBar& bar, UINavigationItem& item) = 0;
};

// The bar at the top of a navigation controller: a background that also covers the
// status bar, a hairline shadow at its bottom, the top item's title in the middle, its
// bar buttons at the sides and, below another item, a back button. Its height is the
// status bar's plus 44 points of content.
//
// Each look property is the bar's own value when set, else the shared appearance's
// (which the UI kit's theme writes), else UIKit's default. Changing the appearance
// updates every bar at once.
class UINavigationBar : public UIView {
  public:
    static constexpr CGFloat kContentHeight = 44;

    struct Appearance {
        std::shared_ptr<UIImage> backgroundImage;
        std::shared_ptr<UIImage> shadowImage;
        std::optional<UIColor> barTintColor;
        std::optional<UIColor> tintColor;
        std::optional<UIBarStyle> barStyle;
        NSAttributedString::Attributes titleTextAttributes;
        std::shared_ptr<UIImage> backIndicatorImage;
    };
    // The appearance every bar starts from. Call appearanceDidChange after editing it.
    static Appearance& appearance();
    static void appearanceDidChange();

    explicit UINavigationBar(const CGRect& frame = CGRectZero);
    ~UINavigationBar() override;

    std::weak_ptr<UINavigationBarDelegate> delegate;

    // Items, bottom first: the last is shown, the one before it gives the back button.
    const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<UINavigationItem>> items, bool animated);
    std::shared_ptr<UINavigationItem> topItem() const;
    std::shared_ptr<UINavigationItem> backItem() const;

    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent);
    UIBarStyle barStyle() const;
    void setBarStyle(std::optional<UIBarStyle> style);
    std::optional<UIColor> barTintColor() const;
    void setBarTintColor(std::optional<UIColor> color);
    std::shared_ptr<UIImage> backgroundImage() const;
    void setBackgroundImage(std::shared_ptr<UIImage> image);
    std::shared_ptr<UIImage> shadowImage() const;
    void setShadowImage(std::shared_ptr<UIImage> image);
    NSAttributedString::Attributes titleTextAttributes() const;
    void setTitleTextAttributes(const NSAttributedString::Attributes& attributes);
    std::shared_ptr<UIImage> backIndicatorImage() const;
    void setBackIndicatorImage(std::shared_ptr<UIImage> image);

    // The views shown, for tests and tools.
    const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<UIBarButtonControl>& backButton() const { return backButton_; }
    std::shared_ptr<UIBarButtonControl> leftButton() const { return leftButton_; }
    std::shared_ptr<UIBarButtonControl> rightButton() const { return rightButton_; }

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void didMoveToSuperview() override;

  private:
    // Subviews can only be added once the bar is shared, after construction.
    void attachContent();
    void applyAppearance();
    void itemsChanged();
    std::shared_ptr<UIBarButtonControl> makeButton(const std::shared_ptr<UIBarButtonItem>& item);

    std::vector<std::shared_ptr<UINavigationItem>> items_;
    bool translucent_ = true;
    std::optional<UIBarStyle> barStyle_;
    std::optional<UIColor> barTintColor_;
    std::shared_ptr<UIImage> backgroundImage_;
    std::shared_ptr<UIImage> shadowImage_;
    std::optional<NSAttributedString::Attributes> titleTextAttributes_;
    std::shared_ptr<UIImage> backIndicatorImage_;

    std::shared_ptr<CALayer> backgroundLayer_;
    std::shared_ptr<CALayer> shadowLayer_;
    bool contentAttached_ = false;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UIBarButtonControl> backButton_;
    std::shared_ptr<UIBarButtonControl> leftButton_;
    std::shared_ptr<UIBarButtonControl> rightButton_;
    std::shared_ptr<UIBarButtonItem> leftItem_;
    std::shared_ptr<UIBarButtonItem> rightItem_;
};
