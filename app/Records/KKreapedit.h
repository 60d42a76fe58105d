#pragma once

#include "platform/ActiveSQLite/ASModel.h"

#include <string>

// The skip record of one title: how many seconds of intro and of outro the player
// skips. Absent while both are 0.
class KKreapedit : public ASModel<KKreapedit> {
  public:
    std::string vod_id;         // the title's identifier; the lookup key
    double endProgress = 0.0;   // seconds of outro to skip
    double startProgress = 0.0; // seconds of intro to skip

    static const ASTable<KKreapedit>& table();
};
