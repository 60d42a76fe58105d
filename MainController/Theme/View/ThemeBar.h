#pragma once

#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// The own top bar of the topic pages, which hide the navigation bar: clear at first, its
// background fades in as the list below it scrolls.

// The bar: "1C1B20" at alpha 0.
std::shared_ptr<UIView> makeThemeBar();
// The back button "back", which pops `page` off its navigation stack (nothing without one).
std::shared_ptr<QMUIButton> makeThemeBackButton(UIViewController& page);
// The bar's background at alpha = the list's vertical offset / 100.
void fadeThemeBar(UIView& bar, const UIScrollView& list);
