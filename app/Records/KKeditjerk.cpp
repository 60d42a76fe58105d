#include "app/Records/KKeditjerk.h"

const ASTable<KKeditjerk>& KKeditjerk::table() {
    static const ASTable<KKeditjerk> table("KKeditjerk",
                                           {
                                               {"src", &KKeditjerk::src},
                                               {"parseJson", &KKeditjerk::parseJson},
                                           },
                                           {.indexes = {{"src"}}});
    return table;
}

SQLite::Status KKeditjerk::storeAnswer(const std::string& src, const JSON& answer) {
    if (!answer.exists() || answer.type() != JSON::Type::dictionary) {
        return {};
    }
    auto found = findFirst("src", src);
    if (!found) {
        return found.error();
    }
    auto record = *found;
    if (!record) {
        record = std::make_shared<KKeditjerk>();
        record->src = src;
    }
    record->parseJson = answer.rawString();
    return record->save();
}

SQLite::Result<std::optional<JSON>> KKeditjerk::storedAnswer(const std::string& src) {
    auto found = findFirst("src", src);
    if (!found) {
        return found.error();
    }
    if (!*found) {
        return std::optional<JSON>();
    }
    return std::optional<JSON>(JSON::parse((*found)->parseJson));
}
