#pragma once

#include "app/Base/BaseViewController.h"

class KKhemispherecommonplaceViewController : public BaseViewController {
  public:
};
