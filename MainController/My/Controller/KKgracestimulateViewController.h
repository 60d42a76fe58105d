#pragma once

#include "app/Base/BaseViewController.h"

// The feedback page.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKgracestimulateViewController : public BaseViewController {
  public:
};
