#pragma once

#include "app/Base/BaseViewController.h"

// The login container, presented full screen as the root of a NavigationController.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKmaximumdefyViewController : public BaseViewController {
  public:
};
