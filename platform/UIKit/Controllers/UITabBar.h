#pragma once

#include "platform/Foundation/KeyValueObserving.h"
#include "platform/UIKit/Controllers/UIRuntimeAttributes.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIFont.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <optional>
#include <vector>

class UIImage;
class UIImageView;
class UILabel;
class UITabBar;
class UITabBarButton;
class UITabBarItem;

class UITabBarDelegate {
  public:
    virtual ~UITabBarDelegate() = default;
    // The user tapped `item`.
    virtual void didSelectItem(UITabBar& tabBar, const std::shared_ptr<UITabBarItem>& item) {}
};

// The bar at the bottom of a tab bar controller: one button per item (image over title,
// the selected one in the tint colour) on a background with a hairline along its top.
// It is 49 points high plus the home indicator area.
//
// Subclasses may draw the items themselves: overriding items() and setItems keeps the
// items from this class, which then shows no buttons. Look properties fall back to the
// shared appearance (written by the UI kit's theme), then to UIKit's defaults.
class UITabBar : public UIView, public UINibLoadable {
  public:
    static constexpr CGFloat kContentHeight = 49;

    struct Appearance {
        std::shared_ptr<UIImage> backgroundImage;
        std::shared_ptr<UIImage> shadowImage;
        std::optional<UIColor> barTintColor;
        std::optional<UIBarStyle> barStyle;
        std::optional<UIFont> itemTitleFont;
        std::optional<UIFont> itemTitleFontSelected;
        std::optional<UIColor> itemTitleColor;
        std::optional<UIColor> itemTitleColorSelected;
        std::optional<UIColor> itemImageColor;
        std::optional<UIColor> itemImageColorSelected;
    };
    // The appearance every bar starts from. Call appearanceDidChange after editing it.
    static Appearance& appearance();
    static void appearanceDidChange();

    explicit UITabBar(const CGRect& frame = CGRectZero);
    ~UITabBar() override;

    std::weak_ptr<UITabBarDelegate> delegate;

    virtual const std::vector<std::shared_ptr<UITabBarItem>>& items() const { return items_; }
    virtual void setItems(std::vector<std::shared_ptr<UITabBarItem>> items, bool animated);

    const std::shared_ptr<UITabBarItem>& selectedItem() const { return selectedItem_.value(); }
    void setSelectedItem(std::shared_ptr<UITabBarItem> item);
    // Observers of selectedItem and of safeAreaInsets (reported when the insets change).
    KeyValueObservable<std::shared_ptr<UITabBarItem>>& selectedItemObservable() { return selectedItem_; }
    KeyValueObservable<UIEdgeInsets>& safeAreaInsetsObservable() { return observedSafeAreaInsets_; }

    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent) { translucent_ = translucent; }
    std::optional<UIColor> barTintColor() const;
    void setBarTintColor(std::optional<UIColor> color);
    std::shared_ptr<UIImage> backgroundImage() const;
    void setBackgroundImage(std::shared_ptr<UIImage> image);
    std::shared_ptr<UIImage> shadowImage() const;
    void setShadowImage(std::shared_ptr<UIImage> image);
    // The colour of the items that are not selected; none gives UIKit's gray.
    const std::optional<UIColor>& unselectedItemTintColor() const { return unselectedItemTintColor_; }
    void setUnselectedItemTintColor(std::optional<UIColor> color);

    // The buttons shown for items(), in order (none when a subclass keeps the items).
    const std::vector<std::shared_ptr<UITabBarButton>>& buttons() const { return buttons_; }

    // Keys: "tintColor", "barTintColor", "backgroundColor", "unselectedItemTintColor"
    // (colours), "translucent" (switch), "backgroundImage", "shadowImage" (images).
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override;

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void didMoveToSuperview() override;
    void safeAreaInsetsDidChange() override;

  protected:
    void tintColorDidChange() override;

  private:
    void applyAppearance();
    void rebuildButtons();
    void updateButtons();
    void buttonTapped(const std::shared_ptr<UITabBarItem>& item);

    std::vector<std::shared_ptr<UITabBarItem>> items_;
    KeyValueObservable<std::shared_ptr<UITabBarItem>> selectedItem_;
    KeyValueObservable<UIEdgeInsets> observedSafeAreaInsets_;
    bool translucent_ = true;
    std::optional<UIColor> barTintColor_;
    std::shared_ptr<UIImage> backgroundImage_;
    std::shared_ptr<UIImage> shadowImage_;
    std::optional<UIColor> unselectedItemTintColor_;

    std::shared_ptr<CALayer> backgroundLayer_;
    std::shared_ptr<CALayer> shadowLayer_;
    std::vector<std::shared_ptr<UITabBarButton>> buttons_;
    // Buttons can only be added once the bar is shared, after construction.
    bool buttonsNeedRebuild_ = false;
};

// The button of one tab bar item: its image (the selected image while selected) above
// its title.
class UITabBarButton : public UIControl {
  public:
    explicit UITabBarButton(std::shared_ptr<UITabBarItem> item);
    ~UITabBarButton() override;

    const std::shared_ptr<UITabBarItem>& item() const { return item_; }
    // Shows the item as selected or not, in these colours and fonts.
    void update(bool selected, const UIColor& imageColor, const UIColor& titleColor, const UIFont& titleFont);
    void layoutSubviews() override;
    void didMoveToSuperview() override;

  private:
    void attachContent();

    std::shared_ptr<UITabBarItem> item_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UILabel> titleLabel_;
    bool contentAttached_ = false;
};
