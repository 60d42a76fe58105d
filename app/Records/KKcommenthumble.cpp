#include "app/Records/KKcommenthumble.h"

#include <unordered_set>

const ASTable<KKcommenthumble>& KKcommenthumble::table() {
    static const ASTable<KKcommenthumble> table("KKcommenthumble",
                                                {
                                                    {"url", &KKcommenthumble::url},
                                                    {"src", &KKcommenthumble::src},
                                                    {"size", &KKcommenthumble::size},
                                                    {"name", &KKcommenthumble::name},
                                                    {"type", &KKcommenthumble::type},
                                                    {"cover", &KKcommenthumble::cover},
                                                    {"index", &KKcommenthumble::index},
                                                    {"vod_id", &KKcommenthumble::vod_id},
                                                    {"episode", &KKcommenthumble::episode},
                                                    {"progress", &KKcommenthumble::progress},
                                                    {"state", &KKcommenthumble::state},
                                                    {"watching", &KKcommenthumble::watching},
                                                },
                                                {.indexes = {{"state"}}, .uniqueKey = {"vod_id", "index"}});
    return table;
}

std::vector<std::shared_ptr<KKcommenthumble>>
uniqueByVodId(const std::vector<std::shared_ptr<KKcommenthumble>>& records) {
    std::vector<std::shared_ptr<KKcommenthumble>> kept;
    std::unordered_set<std::string> seen;
    for (const auto& record : records) {
        if (seen.insert(record->vod_id).second) {
            kept.push_back(record);
        }
    }
    return kept;
}
