#pragma once

#include "app/Base/BaseViewController.h"

// The playback history page.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKinterfereboycottViewController : public BaseViewController {
  public:
};
