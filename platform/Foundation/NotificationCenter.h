#pragma once

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct Notification {
    std::string name;
    std::any object;
};

// Posts named notifications to observers on the posting thread (the main thread in
// this application). An observer lives as long as the token it was given.
class NotificationCenter {
  public:
    using Block = std::function<void(const Notification&)>;
    using ObserverToken = std::shared_ptr<void>;

    static NotificationCenter& defaultCenter();

    [[nodiscard]] ObserverToken addObserver(std::string name, Block block);
    void post(std::string name, std::any object = {});
    std::size_t observerCount(const std::string& name) const;

  private:
    struct Observer {
        std::string name;
        Block block;
    };
    std::vector<std::weak_ptr<Observer>> observers_;
};
