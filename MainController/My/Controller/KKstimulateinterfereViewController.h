#pragma once

#include "app/Base/BaseViewController.h"

// The My tab's root page.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKstimulateinterfereViewController : public BaseViewController {
  public:
};
