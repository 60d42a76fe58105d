#include "app/Records/KKreapedit.h"

const ASTable<KKreapedit>& KKreapedit::table() {
    static const ASTable<KKreapedit> table("KKreapedit",
                                           {
                                               {"vod_id", &KKreapedit::vod_id},
                                               {"endProgress", &KKreapedit::endProgress},
                                               {"startProgress", &KKreapedit::startProgress},
                                           },
                                           {.indexes = {{"vod_id"}}});
    return table;
}
