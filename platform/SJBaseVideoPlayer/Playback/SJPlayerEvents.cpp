#include "platform/SJBaseVideoPlayer/Playback/SJPlayerEvents.h"

SJPlayerEventCenter& SJPlayerEventCenter::shared() {
    static SJPlayerEventCenter center;
    return center;
}

SJPlayerEventCenter::ListenerToken SJPlayerEventCenter::addListener(Listener listener) {
    auto shared = std::make_shared<Listener>(std::move(listener));
    listeners_.push_back(shared);
    return shared;
}

void SJPlayerEventCenter::post(SJPlayerEvent event, const SJPlayerEventInfo& info) {
    std::erase_if(listeners_, [](const auto& listener) { return listener.expired(); });
    const auto listeners = listeners_;
    for (const auto& weakListener : listeners) {
        if (auto listener = weakListener.lock()) {
            (*listener)(event, info);
        }
    }
}
