#pragma once

class UIWindow;

// A window's root controller appears when the window is visible: at once when the root is
// set on a visible window, else when the window is shown. Hosts (and the application
// main loop) call this right after they made a window visible.
void UIWindowDidBecomeVisible(UIWindow& window);
