#pragma once

class UIWindow;

// A window's root controller appears when the window is visible: at once when the root is
// set on a visible window, else when the window is shown: on the next turn of the run
// loop, or at once when whoever showed the window calls this (the application's main
// loop does).
void UIWindowDidBecomeVisible(UIWindow& window);
