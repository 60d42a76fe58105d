#pragma once

#include "platform/ActiveSQLite/ASModel.h"

#include <memory>
#include <string>
#include <vector>

// The download record of one episode of one title, found by "vod_id" and "index". The
// media itself lives in the media cache proxy under `url`.
//
// There is at most one record per ("vod_id", "index"): saving a new record for an
// episode that already has one writes the new values into the stored record (which
// keeps its identifier) instead of adding a second.
class KKcommenthumble : public ASModel<KKcommenthumble> {
  public:
    std::string url;               // the decrypted media address the export was made from
    std::string src;               // the episode's source address
    std::string size;              // never written
    std::string name;              // the title's name
    std::string type;              // the play-source type at the time of download
    std::string cover;             // the title's poster address
    std::string index;             // the episode's position in the episode list, as decimal text
    std::string vod_id;            // the title's identifier
    std::string episode;           // the episode's name
    double progress = 0.0;         // the export's fraction, 0 to 1
    std::string state = "waiting"; // "waiting", "downing", "pause", "fail" or "finish"
    std::string watching = "no";   // "yes" once the downloaded episode has been played

    static const ASTable<KKcommenthumble>& table();
};

// The records in order, keeping only the first of each "vod_id" (exact comparison).
std::vector<std::shared_ptr<KKcommenthumble>>
uniqueByVodId(const std::vector<std::shared_ptr<KKcommenthumble>>& records);
