#pragma once

#include "platform/ActiveSQLite/ASModel.h"

#include <string>

// The detail cache of one title: the last detail answer and the last episode-list
// answer of the service as JSON text, so the page still works when the service cannot
// be reached.
class KKenthusiasticreap : public ASModel<KKenthusiasticreap> {
  public:
    std::string type;          // the play-source type of the page that created the record
    std::string vod_id;        // the title's identifier; the lookup key
    std::string videoJson;     // the last detail answer that was a JSON object
    std::string videoListJson; // the last episode-list answer that was a JSON array

    static const ASTable<KKenthusiasticreap>& table();
};
