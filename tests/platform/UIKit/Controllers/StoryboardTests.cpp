#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UIStoryboard.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "platform/UIKit/UIImage.h"

#include <gtest/gtest.h>

namespace {

// What was woken up, in order, with what each saw at that moment.
std::vector<std::string>& awakenings() {
    static std::vector<std::string> log;
    return log;
}

class AwakeViewController : public UIViewController {
  public:
    void awakeFromNib() override { awakenings().push_back("controller " + title()); }
};

class AwakeTabBarController : public UITabBarController {
  public:
    void awakeFromNib() override {
        awakenings().push_back("tabs with " + std::to_string(viewControllers().size()) + " tabs");
    }
};

class AwakeTabBar : public UITabBar {
  public:
    void awakeFromNib() override {
        awakenings().push_back("bar with " + std::to_string(items().size()) + " items");
    }
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override {
        if (const auto* flag = runtimeAttribute<bool>(value); flag != nullptr && key == "observesSafeArea") {
            observesSafeArea = *flag;
            return true;
        }
        return UITabBar::setValue(value, key);
    }
    bool observesSafeArea = true;
};

class ColouredTabBarItem : public UITabBarItem {
  public:
    void awakeFromNib() override { awakenings().push_back("item " + title()); }
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override {
        const auto* color = runtimeAttribute<UIColor>(value);
        if (color != nullptr && key == "backgroundColor") {
            backgroundColor = *color;
        } else if (color != nullptr && key == "iconTintColor") {
            iconTintColor = *color;
        } else {
            return UITabBarItem::setValue(value, key);
        }
        return true;
    }
    std::optional<UIColor> backgroundColor;
    std::optional<UIColor> iconTintColor;
};

class Storyboards : public testing::Test {
  protected:
    void SetUp() override {
        awakenings().clear();
        UIStoryboard::registerViewControllerClass("AwakeViewController",
                                                  [] { return std::make_shared<AwakeViewController>(); });
        UIStoryboard::registerViewControllerClass("AwakeTabBarController",
                                                  [] { return std::make_shared<AwakeTabBarController>(); });
        UIStoryboard::registerTabBarClass("AwakeTabBar", [] { return std::make_shared<AwakeTabBar>(); });
        UIStoryboard::registerTabBarItemClass("ColouredTabBarItem",
                                              [] { return std::make_shared<ColouredTabBarItem>(); });
    }
};

} // namespace

TEST_F(Storyboards, TheInitialControllerIsBuiltWithItsTabsBarAndItems) {
    auto storyboard = UIStoryboard::storyboardWithName("Test");
    ASSERT_NE(storyboard, nullptr);
    auto tabs =
        std::dynamic_pointer_cast<AwakeTabBarController>(storyboard->instantiateInitialViewController());
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->storyboardIdentifier(), "TabbarController");
    ASSERT_EQ(tabs->viewControllers().size(), 2u);

    auto navigation = std::dynamic_pointer_cast<UINavigationController>(tabs->viewControllers()[0]);
    ASSERT_NE(navigation, nullptr);
    ASSERT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(navigation->topViewController()->title(), "首页");
    EXPECT_EQ(tabs->viewControllers()[1]->title(), "片库");

    auto bar = std::dynamic_pointer_cast<AwakeTabBar>(tabs->tabBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->observesSafeArea);
    EXPECT_EQ(bar->tintColor(), UIColor::colorWithRed(0xD7 / 255.0, 0x3F / 255.0, 0x3F / 255.0, 1));
    ASSERT_EQ(bar->items().size(), 2u);

    auto item = std::dynamic_pointer_cast<ColouredTabBarItem>(bar->items()[0]);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->title(), "首页");
    ASSERT_NE(item->image(), nullptr);
    EXPECT_EQ(item->image()->size(), (CGSize{24, 24}));
    EXPECT_EQ(item->backgroundColor, UIColor::colorWithRed(0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0, 1));
    EXPECT_EQ(item->iconTintColor, UIColor::colorWithRed(1, 1, 1, 0x80 / 255.0));
    EXPECT_EQ(bar->items()[1]->title(), "片库") << "a plain item when none is named";

    EXPECT_EQ(awakenings(), (std::vector<std::string>{"item 首页", "controller 首页", "controller 片库",
                                                      "bar with 2 items", "tabs with 2 tabs"}))
        << "contained objects wake before their containers, with everything connected";
}

TEST_F(Storyboards, EachInstantiationMakesNewObjects) {
    auto storyboard = UIStoryboard::storyboardWithName("Test");
    ASSERT_NE(storyboard, nullptr);
    auto first = storyboard->instantiateInitialViewController();
    auto second = storyboard->instantiateViewControllerWithIdentifier("TabbarController");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    auto detail = storyboard->instantiateViewControllerWithIdentifier("Detail");
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->storyboardIdentifier(), "Detail");
    EXPECT_EQ(storyboard->instantiateViewControllerWithIdentifier("Nobody"), nullptr);
}

TEST_F(Storyboards, AStoryboardWithoutAnInitialControllerGivesNone) {
    auto storyboard = UIStoryboard::storyboardWithName("NoInitial");
    ASSERT_NE(storyboard, nullptr);
    EXPECT_EQ(storyboard->instantiateInitialViewController(), nullptr);
}

TEST_F(Storyboards, MissingOrUnreadableStoryboardsGiveNone) {
    EXPECT_EQ(UIStoryboard::storyboardWithName("Nowhere"), nullptr);
    EXPECT_EQ(UIStoryboard::storyboardWithName("Garbage"), nullptr);
}

TEST_F(Storyboards, ScenesThatCannotBeBuiltGiveNoneInsteadOfAHalfBuiltController) {
    auto storyboard = UIStoryboard::storyboardWithName("Broken");
    ASSERT_NE(storyboard, nullptr);
    EXPECT_EQ(storyboard->instantiateInitialViewController(), nullptr) << "an unregistered class";
    for (const char* identifier :
         {"UnknownKey", "WrongKind", "BadColour", "Loop", "MissingRoot", "RootOnPlain"}) {
        EXPECT_EQ(storyboard->instantiateViewControllerWithIdentifier(identifier), nullptr) << identifier;
    }
    EXPECT_TRUE(awakenings().empty()) << "nothing is woken up from a scene that failed";
}
