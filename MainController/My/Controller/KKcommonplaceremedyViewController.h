#pragma once

#include "app/Base/BaseViewController.h"

// The download manager page.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKcommonplaceremedyViewController : public BaseViewController {
  public:
};
