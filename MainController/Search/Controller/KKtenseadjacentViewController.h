#pragma once

#include "app/Base/BaseViewController.h"

#include <optional>
#include <string>

// The search page; an opener may hand in a keyword that is searched at once.
// Not built yet: an empty page under its final name, so that the pages that open it can.
class KKtenseadjacentViewController : public BaseViewController {
  public:
    std::optional<std::string> text;
};
