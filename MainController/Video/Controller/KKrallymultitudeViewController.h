#pragma once

#include "app/Base/BaseViewController.h"

#include <string>

// The detail and player page of one title played from one play source.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKrallymultitudeViewController : public BaseViewController {
  public:
    std::string vod_id;
    std::string type;
    // The episode position chosen on the downloaded-episodes page; -1 when not opened from there.
    int downloadSelectIndex = -1;
};
