#include "platform/UIKit/Controllers/UIStoryboard.h"

#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/Log.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UITabBar.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "platform/UIKit/UIImage.h"

#include <map>
#include <set>
#include <stdexcept>

namespace {

struct ClassRegistry {
    std::map<std::string, UIStoryboard::ViewControllerFactory> controllers{
        {"UIViewController", [] { return std::make_shared<UIViewController>(); }},
        {"UINavigationController", [] { return std::make_shared<UINavigationController>(); }},
        {"UITabBarController", [] { return std::make_shared<UITabBarController>(); }},
    };
    std::map<std::string, UIStoryboard::TabBarFactory> tabBars{
        {"UITabBar", [] { return std::make_shared<UITabBar>(); }},
    };
    std::map<std::string, UIStoryboard::TabBarItemFactory> tabBarItems{
        {"UITabBarItem", [] { return std::make_shared<UITabBarItem>(); }},
    };
};

ClassRegistry& registry() {
    static ClassRegistry instance;
    return instance;
}

// Why a scene could not be built.
struct BuildError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::optional<UIColor> parseColor(std::string text) {
    if (!text.empty() && text.front() == '#') {
        text.erase(0, 1);
    }
    if ((text.size() != 6 && text.size() != 8) ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return std::nullopt;
    }
    auto component = [&](std::size_t index) {
        return std::stoi(text.substr(index * 2, 2), nullptr, 16) / 255.0;
    };
    return UIColor::colorWithRed(component(0), component(1), component(2),
                                 text.size() == 8 ? component(3) : 1);
}

UIRuntimeAttributeValue parseValue(const std::string& key, const JSON& value) {
    switch (value.type()) {
    case JSON::Type::boolean:
        return *value.boolean();
    case JSON::Type::number:
        return *value.number();
    case JSON::Type::string:
        return *value.string();
    case JSON::Type::dictionary:
        if (auto color = value["color"].string()) {
            if (auto parsed = parseColor(*color)) {
                return *parsed;
            }
            throw BuildError("attribute '" + key + "': '" + *color + "' is not a colour");
        }
        if (auto image = value["image"].string()) {
            auto loaded = UIImage::imageNamed(*image);
            if (!loaded) {
                throw BuildError("attribute '" + key + "': no image resource '" + *image + "'");
            }
            return loaded;
        }
        break;
    default:
        break;
    }
    throw BuildError("attribute '" + key + "': a value of an unknown kind");
}

void applyAttributes(UINibLoadable& object, const JSON& attributes, const std::string& className) {
    if (!attributes.exists()) {
        return;
    }
    if (attributes.type() != JSON::Type::dictionary) {
        throw BuildError("the attributes of a " + className + " are not an object");
    }
    for (const auto& key : attributes.keys()) {
        if (!object.setValue(parseValue(key, attributes[key]), key)) {
            throw BuildError("a " + className + " has no attribute '" + key + "' of that kind");
        }
    }
}

std::string requiredClass(const JSON& description, const std::string& what) {
    auto className = description["class"].string();
    if (!className || className->empty()) {
        throw BuildError(what + " names no class");
    }
    return *className;
}

} // namespace

// Builds one scene and everything it contains, remembering the made objects so that
// they are woken up once the whole graph stands.
class UIStoryboard::Builder {
  public:
    explicit Builder(const JSON& scenes) : scenes_(scenes) {}

    std::shared_ptr<UIViewController> build(const std::string& sceneName) {
        if (!building_.insert(sceneName).second) {
            throw BuildError("scene '" + sceneName + "' contains itself");
        }
        const JSON scene = scenes_[sceneName];
        if (scene.type() != JSON::Type::dictionary) {
            throw BuildError("no scene '" + sceneName + "'");
        }
        const std::string className = requiredClass(scene, "scene '" + sceneName + "'");
        const auto factory = registry().controllers.find(className);
        if (factory == registry().controllers.end()) {
            throw BuildError("scene '" + sceneName + "': class '" + className + "' is not registered");
        }
        auto controller = factory->second();
        if (!controller) {
            throw BuildError("scene '" + sceneName + "': class '" + className + "' made nothing");
        }
        if (auto identifier = scene["storyboardIdentifier"].string()) {
            controller->setStoryboardIdentifier(*identifier);
        }
        applyAttributes(*controller, scene["attributes"], className);
        if (scene["tabBarItem"].exists()) {
            controller->setTabBarItem(buildTabBarItem(scene["tabBarItem"]));
        }
        if (scene["rootViewController"].exists()) {
            auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller);
            auto root = scene["rootViewController"].string();
            if (!navigation || !root) {
                throw BuildError("scene '" + sceneName +
                                 "': only a navigation controller has a root scene name");
            }
            navigation->pushViewController(build(*root), false);
        }
        auto tabs = std::dynamic_pointer_cast<UITabBarController>(controller);
        if (scene["tabBar"].exists() || scene["viewControllers"].exists()) {
            if (!tabs) {
                throw BuildError("scene '" + sceneName +
                                 "': only a tab bar controller has a tab bar and tabs");
            }
            buildTabs(*tabs, scene, sceneName);
        }
        made_.push_back(controller);
        building_.erase(sceneName);
        return controller;
    }

    void wakeUp() {
        for (const auto& object : made_) {
            object->awakeFromNib();
        }
    }

  private:
    std::shared_ptr<UITabBarItem> buildTabBarItem(const JSON& description) {
        const std::string className = description["class"].exists()
                                          ? requiredClass(description, "a tab bar item")
                                          : std::string("UITabBarItem");
        const auto factory = registry().tabBarItems.find(className);
        if (factory == registry().tabBarItems.end()) {
            throw BuildError("tab bar item class '" + className + "' is not registered");
        }
        auto item = factory->second();
        if (!item) {
            throw BuildError("tab bar item class '" + className + "' made nothing");
        }
        applyAttributes(*item, description["attributes"], className);
        made_.push_back(item);
        return item;
    }

    void buildTabs(UITabBarController& tabs, const JSON& scene, const std::string& sceneName) {
        std::vector<std::shared_ptr<UIViewController>> children;
        const JSON list = scene["viewControllers"];
        if (list.exists() && list.type() != JSON::Type::array) {
            throw BuildError("scene '" + sceneName + "': viewControllers is not a list of scene names");
        }
        for (const auto& child : list.arrayValue()) {
            auto childName = child.string();
            if (!childName) {
                throw BuildError("scene '" + sceneName + "': viewControllers is not a list of scene names");
            }
            children.push_back(build(*childName));
        }
        std::shared_ptr<UITabBar> bar;
        if (scene["tabBar"].exists()) {
            const JSON description = scene["tabBar"];
            const std::string className = description["class"].exists()
                                              ? requiredClass(description, "a tab bar")
                                              : std::string("UITabBar");
            const auto factory = registry().tabBars.find(className);
            if (factory == registry().tabBars.end()) {
                throw BuildError("tab bar class '" + className + "' is not registered");
            }
            bar = factory->second();
            if (!bar) {
                throw BuildError("tab bar class '" + className + "' made nothing");
            }
            applyAttributes(*bar, description["attributes"], className);
            tabs.setTabBar(bar);
        }
        tabs.setViewControllers(std::move(children), false);
        if (bar) {
            made_.push_back(bar);
        }
    }

    const JSON& scenes_;
    std::set<std::string> building_;
    std::vector<std::shared_ptr<UINibLoadable>> made_;
};

UIStoryboard::UIStoryboard(std::string name, JSON description)
    : name_(std::move(name)), description_(std::move(description)) {}

std::shared_ptr<UIStoryboard> UIStoryboard::storyboardWithName(const std::string& name) {
    const auto path = Bundle::main().pathForResource(name, "storyboard.json");
    if (!path) {
        consoleLog("[UIStoryboard] Could not find a storyboard named '" + name + "'");
        return nullptr;
    }
    const auto text = readWholeFile(*path);
    const JSON description = text ? JSON::parse(*text) : JSON::absent();
    if (description.type() != JSON::Type::dictionary ||
        description["scenes"].type() != JSON::Type::dictionary) {
        consoleLog("[UIStoryboard] The storyboard '" + name + "' is not a storyboard description");
        return nullptr;
    }
    return std::make_shared<UIStoryboard>(name, description);
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateInitialViewController() const {
    auto initial = description_["initialViewController"].string();
    if (!initial) {
        return nullptr;
    }
    return instantiateScene(*initial);
}

std::shared_ptr<UIViewController>
UIStoryboard::instantiateViewControllerWithIdentifier(const std::string& identifier) const {
    const JSON scenes = description_["scenes"];
    for (const auto& sceneName : scenes.keys()) {
        if (scenes[sceneName]["storyboardIdentifier"].string() == identifier) {
            return instantiateScene(sceneName);
        }
    }
    consoleLog("[UIStoryboard] " + name_ + ": no scene has the identifier '" + identifier + "'");
    return nullptr;
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateScene(const std::string& sceneName) const {
    const JSON scenes = description_["scenes"];
    Builder builder(scenes);
    try {
        auto controller = builder.build(sceneName);
        builder.wakeUp();
        return controller;
    } catch (const BuildError& error) {
        consoleLog("[UIStoryboard] " + name_ + ": " + error.what());
        return nullptr;
    }
}

void UIStoryboard::registerViewControllerClass(const std::string& className, ViewControllerFactory factory) {
    registry().controllers[className] = std::move(factory);
}

void UIStoryboard::registerTabBarClass(const std::string& className, TabBarFactory factory) {
    registry().tabBars[className] = std::move(factory);
}

void UIStoryboard::registerTabBarItemClass(const std::string& className, TabBarItemFactory factory) {
    registry().tabBarItems[className] = std::move(factory);
}
