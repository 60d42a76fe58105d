#include "Startup/TabbarController.h"

#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/Log.h"
#include "platform/Foundation/Paths.h"
#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/UIKit/Controls/UIButton.h"

void TabbarController::viewDidLoad() {
    AHLimberTabbarController::viewDidLoad();
    if (QMUIConfiguration* configuration = QMUIConfiguration::sharedInstance()) {
        configuration->tabBarShadowImageColor = UIColor::clearColor();
    }

    // The animated bar draws its own background, so the platform's bar background view is
    // hidden. This platform has no class of that name (its bar paints the background on
    // layers); as the lookup by name does where the class is missing, buttons stand in.
    std::weak_ptr<UITabBar> weakBar = tabBar();
    DispatchQueue::main().asyncAfter(0.1, [weakBar] {
        auto bar = weakBar.lock();
        if (!bar) {
            return;
        }
        for (const auto& subview : bar->subviews()) {
            if (std::dynamic_pointer_cast<UIButton>(subview)) {
                subview->setHidden(true);
            }
        }
    });

    const std::filesystem::path documents = Paths::documents();
    if (!documents.empty()) {
        const auto status = ASConfigration::setDefaultDB(documents.string() + "/fflist.db", "fflist.db");
        if (!status) {
            consoleLog("fflist.db could not be opened: " + status.error().message);
        }
    }
}

std::shared_ptr<UIViewController> TabbarController::currentChild() const {
    if (selectedIndex() == NSNotFound) {
        const auto& children = viewControllers();
        return children.empty() ? nullptr : children.front();
    }
    return selectedViewController();
}

// The storyboard always gives four children; without any, the answers are the base's.
bool TabbarController::shouldAutorotate() const {
    const auto child = currentChild();
    return child ? child->shouldAutorotate() : AHLimberTabbarController::shouldAutorotate();
}

UIInterfaceOrientationMask TabbarController::supportedInterfaceOrientations() const {
    const auto child = currentChild();
    return child ? child->supportedInterfaceOrientations()
                 : AHLimberTabbarController::supportedInterfaceOrientations();
}

UIInterfaceOrientation TabbarController::preferredInterfaceOrientationForPresentation() const {
    const auto child = currentChild();
    return child ? child->preferredInterfaceOrientationForPresentation()
                 : AHLimberTabbarController::preferredInterfaceOrientationForPresentation();
}
