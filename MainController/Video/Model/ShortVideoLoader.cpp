#include "MainController/Video/Model/ShortVideoLoader.h"

#include "app/Network/KKriplog.h"

#include <set>
#include <string>

ShortVideoItems shortVideoItems(const JSON& answer) {
    ShortVideoItems items;
    for (const auto& element : answer["list"].arrayValue()) {
        auto item = std::make_shared<KKcontrastpierce>(element);
        if (item->playAddr && !item->playAddr->empty()) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

std::size_t appendNewShortVideos(ShortVideoItems& list, const ShortVideoItems& items) {
    std::set<std::string> present;
    for (const auto& item : list) {
        present.insert(shortVideoIdentity(*item));
    }
    std::size_t appended = 0;
    for (const auto& item : items) {
        const std::string identity = shortVideoIdentity(*item);
        if (identity.empty() || present.insert(identity).second) {
            list.push_back(item);
            ++appended;
        }
    }
    return appended;
}

bool ShortVideoLoader::load(Completion completion) {
    if (state_->loading) {
        return false;
    }
    state_->loading = true;
    const unsigned generation = state_->generation;
    std::weak_ptr<State> weakState = state_;
    apiClient.videoDisplay(1, [weakState, generation, completion = std::move(completion)](
                                  std::optional<JSON> json, std::optional<NSError> error) {
        const auto state = weakState.lock();
        if (!state || state->generation != generation) {
            return;
        }
        state->loading = false;
        if (error || !json || json->isNull()) {
            completion(std::nullopt);
            return;
        }
        completion(shortVideoItems(*json));
    });
    return true;
}

void ShortVideoLoader::reset() {
    ++state_->generation;
    state_->loading = false;
}
