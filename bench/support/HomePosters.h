#pragma once

#include "platform/UIKit/UIWindow.h"

#include <memory>

// Whether the window shows the home page's recommend page with a shelf whose posters in
// sight have all arrived (none shows the placeholder any more).
bool homePostersDrawn(const std::shared_ptr<UIWindow>& window);
