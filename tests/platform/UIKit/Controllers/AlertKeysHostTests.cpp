#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Escape and Return as the desktop window delivers them reach an alert that shows.
TEST(AlertKeysThroughTheWindowHost, EscapeAndReturnCloseTheAlert) {
    testsupport::useVirtualClock();
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    UIScreen::configureMainScreen({{320, 480}, 2, 20, 0});
    auto window = std::make_shared<UIWindow>();
    auto page = std::make_shared<UIViewController>();
    window->setRootViewController(page);
    window->makeKeyAndVisible();
    testsupport::ui::UIDriver driver(window);
    SDLWindowHost host({"Orvex alert keys", 1, false});
    ASSERT_TRUE(host.isOpen());

    std::vector<std::string> closed;
    for (const SDL_Keycode key : {SDLK_ESCAPE, SDLK_RETURN, SDLK_KP_ENTER}) {
        auto alert =
            UIAlertController::alertControllerWithTitle("公告", "内容", UIAlertControllerStyle::alert);
        alert->addAction(
            UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::cancel,
                                           [&](UIAlertAction&) { closed.push_back(SDL_GetKeyName(key)); }));
        page->presentViewController(alert, true);
        driver.advance(1);
        ASSERT_EQ(page->presentedViewController(), alert);

        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
        host.pumpOnce();
        driver.advance(1);
        EXPECT_EQ(page->presentedViewController(), nullptr) << SDL_GetKeyName(key);
    }
    EXPECT_EQ(closed.size(), 3u);
    window->setHidden(true);
}
