#include "MainController/Library/Model/LibraryFilters.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Helpers/KKpresentationdisease.h"

void LibraryFilters::chooseType(const std::string& type) {
    typeId = type;
    classtype.reset();
    area.reset();
    lang.reset();
    year.reset();
}

namespace LibraryFilterTree {

std::optional<std::vector<JSON>> cached() {
    const auto text = userDefaults().stringForKey(kDefaultsKey);
    if (!text) {
        return std::nullopt;
    }
    return JSON::parse(*text).arrayValue();
}

void store(const JSON& answer) {
    if (answer.type() != JSON::Type::array) {
        return;
    }
    userDefaults().setString(kDefaultsKey, KKpresentationdisease::toJSONString(answer));
}

} // namespace LibraryFilterTree
