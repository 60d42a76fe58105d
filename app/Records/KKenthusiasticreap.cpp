#include "app/Records/KKenthusiasticreap.h"

const ASTable<KKenthusiasticreap>& KKenthusiasticreap::table() {
    static const ASTable<KKenthusiasticreap> table("KKenthusiasticreap",
                                                   {
                                                       {"type", &KKenthusiasticreap::type},
                                                       {"vod_id", &KKenthusiasticreap::vod_id},
                                                       {"videoJson", &KKenthusiasticreap::videoJson},
                                                       {"videoListJson", &KKenthusiasticreap::videoListJson},
                                                   },
                                                   {.indexes = {{"vod_id"}}});
    return table;
}
