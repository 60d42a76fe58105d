#include "platform/Foundation/NotificationCenter.h"

#include <algorithm>

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverToken NotificationCenter::addObserver(std::string name, Block block) {
    auto observer = std::make_shared<Observer>(Observer{std::move(name), std::move(block)});
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    observers_.push_back(observer);
    return observer;
}

void NotificationCenter::post(std::string name, std::any object) {
    const Notification notification{std::move(name), std::move(object)};
    // Observers may come and go while the notification is delivered: walk a snapshot and
    // skip any observer whose token was released on the way.
    const auto snapshot = observers_;
    for (const auto& weak : snapshot) {
        if (auto observer = weak.lock(); observer && observer->name == notification.name) {
            observer->block(notification);
        }
    }
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
    return std::count_if(observers_.begin(), observers_.end(), [&](const auto& weak) {
        auto observer = weak.lock();
        return observer && observer->name == name;
    });
}
