#pragma once

#include "app/Base/BaseViewController.h"

// The home tab's root page.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKelectronicbrow : public BaseViewController {
  public:
};
