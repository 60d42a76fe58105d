#pragma once

#include "app/Base/BaseViewController.h"

#include <string>

// The resource list of one title: opened with the title's `vod_id` set.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKgiganticgloomy : public BaseViewController {
  public:
    std::string vod_id;
};
