#pragma once

#include "app/Base/BaseViewController.h"

// The short-video tab's root page.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKcandyleanViewController : public BaseViewController {
  public:
};
