#pragma once

#include "platform/Foundation/JSON.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UINibLoadable;
class UITabBar;
class UITabBarItem;
class UIViewController;

// An interface file: scenes of controllers, read from the resource "<name>.storyboard.json"
// and built through the classes the application registered by name.
//
//   {
//     "initialViewController": "tabs",                  (optional)
//     "scenes": {
//       "tabs": {
//         "class": "UITabBarController",                (a registered class)
//         "storyboardIdentifier": "TabbarController",   (optional)
//         "attributes": { "title": "..." },             (optional, set by name)
//         "tabBar": { "class": "UITabBar", "attributes": { ... } },
//         "viewControllers": ["first", "second"]        (tab bar controllers)
//       },
//       "first": {
//         "class": "UINavigationController",
//         "rootViewController": "home",                 (navigation controllers)
//         "tabBarItem": { "class": "UITabBarItem", "attributes": { "title": "Home",
//                         "image": { "image": "tab_home" } } }
//       },
//       "home": { "class": "UIViewController" }
//     }
//   }
//
// Attribute values: true/false, numbers, texts, { "color": "#RRGGBB" or "#RRGGBBAA" }
// and { "image": "<image resource name>" }. Each instantiation makes new objects, sets
// their attributes, connects them (navigation roots, tab children, the tab bar and its
// items) and then sends each object awakeFromNib, the contained ones before their
// containers. A scene that cannot be built (unknown class, scene, attribute or key)
// builds nothing: the reason is logged and the result is empty.
class UIStoryboard {
  public:
    using ViewControllerFactory = std::function<std::shared_ptr<UIViewController>()>;
    using TabBarFactory = std::function<std::shared_ptr<UITabBar>()>;
    using TabBarItemFactory = std::function<std::shared_ptr<UITabBarItem>()>;

    // The storyboard `name` of the application's resources; empty (and logged) when it is
    // missing or not a storyboard.
    static std::shared_ptr<UIStoryboard> storyboardWithName(const std::string& name);

    // Empty when the storyboard names no initial controller.
    std::shared_ptr<UIViewController> instantiateInitialViewController() const;
    // The scene whose storyboardIdentifier is `identifier`.
    std::shared_ptr<UIViewController>
    instantiateViewControllerWithIdentifier(const std::string& identifier) const;

    // Classes by name. The UIKit classes are registered from the start; registering a
    // name again replaces its factory.
    static void registerViewControllerClass(const std::string& className, ViewControllerFactory factory);
    static void registerTabBarClass(const std::string& className, TabBarFactory factory);
    static void registerTabBarItemClass(const std::string& className, TabBarItemFactory factory);

    UIStoryboard(std::string name, JSON description);

  private:
    class Builder;
    std::shared_ptr<UIViewController> instantiateScene(const std::string& sceneName) const;

    std::string name_;
    JSON description_;
};
