#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/support/TestSupport.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

void pushEditing(const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTEDITING;
    std::strncpy(event.edit.text, text, sizeof(event.edit.text) - 1);
    SDL_PushEvent(&event);
}

void pushText(const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    SDL_PushEvent(&event);
}

void pushKey(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

} // namespace

// Typing, deleting and composing Chinese as the desktop window delivers them.
TEST(TextInputThroughTheWindowHost, TypingDeletingAndComposedChineseReachTheField) {
    testsupport::useVirtualClock();
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    UIScreen::configureMainScreen({{320, 480}, 2, 20, 0});
    auto window = std::make_shared<UIWindow>();
    window->makeKeyAndVisible();
    auto field = std::make_shared<QMUITextField>(CGRectMake(10, 40, 300, 40));
    window->addSubview(field);
    field->setMaximumTextLength(6);
    int changes = 0;
    field->addTarget([&](UIControl&) { ++changes; }, UIControlEventEditingChanged);
    SDLWindowHost host({"Orvex text input", 1, false});
    ASSERT_TRUE(host.isOpen());
    field->becomeFirstResponder();
    host.pumpOnce();

    pushText("a");
    pushText("b");
    pushKey(SDLK_BACKSPACE);
    host.pumpOnce();
    EXPECT_EQ(field->text(), "a");

    pushEditing("n");
    pushEditing("ni");
    pushEditing("你");
    host.pumpOnce();
    EXPECT_EQ(field->text(), "a你");
    EXPECT_TRUE(field->markedTextRange());
    pushEditing("你好");
    pushText("你好");
    host.pumpOnce();
    EXPECT_EQ(field->text(), "a你好");
    EXPECT_FALSE(field->markedTextRange());

    pushText("世界和平");
    host.pumpOnce();
    EXPECT_EQ(field->text(), "a你好世界和") << "cut to the maximum length";
    pushKey(SDLK_LEFT);
    pushKey(SDLK_BACKSPACE);
    host.pumpOnce();
    EXPECT_EQ(field->text(), "a你好世和");
    EXPECT_GT(changes, 5);
    field->resignFirstResponder();
    host.pumpOnce();
}
