#pragma once

#include "app/Base/BaseViewController.h"

// The account page of a signed-in member.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKinterimspatialViewController : public BaseViewController {
  public:
};
