#include "MainController/Search/Controller/SearchHistory.h"

#include <algorithm>

namespace SearchHistory {

std::optional<std::vector<std::string>> entries(const UserDefaults& defaults) {
    return defaults.stringArrayForKey(key);
}

std::vector<std::string> record(UserDefaults& defaults, const std::string& keyword) {
    std::vector<std::string> texts = entries(defaults).value_or(std::vector<std::string>{});
    std::erase(texts, keyword);
    texts.insert(texts.begin(), keyword);
    defaults.setStringArray(key, texts);
    return texts;
}

} // namespace SearchHistory
