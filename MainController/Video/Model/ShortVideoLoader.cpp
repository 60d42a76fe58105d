#include "MainController/Video/Model/ShortVideoLoader.h"

#include "app/Network/KKriplog.h"

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
