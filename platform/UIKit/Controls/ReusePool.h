#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

// Views of a list kept for reuse by identifier: the factory registered for an identifier
// makes new ones; views that scrolled out of sight wait here until a row or item of the
// same identifier needs one. `View` must offer setReuseIdentifier and prepareForReuse.
template <class View> class ReusePool {
  public:
    using Factory = std::function<std::shared_ptr<View>()>;

    // Replaces any earlier registration of the identifier (and drops its waiting views).
    void registerFactory(const std::string& identifier, Factory factory) {
        factories_[identifier] = std::move(factory);
        waiting_.erase(identifier);
    }
    bool isRegistered(const std::string& identifier) const { return factories_.count(identifier) != 0; }

    // A waiting view (prepared for reuse), else a new one from the factory; nothing when
    // the identifier was never registered and no view waits.
    std::shared_ptr<View> dequeue(const std::string& identifier) {
        if (auto found = waiting_.find(identifier); found != waiting_.end() && !found->second.empty()) {
            auto view = std::move(found->second.back());
            found->second.pop_back();
            view->prepareForReuse();
            return view;
        }
        const auto factory = factories_.find(identifier);
        if (factory == factories_.end() || !factory->second) {
            return nullptr;
        }
        auto view = factory->second();
        if (!view) {
            throw std::logic_error("the view factory for \"" + identifier + "\" made no view");
        }
        view->setReuseIdentifier(identifier);
        return view;
    }

    // Keeps a view that left the screen. Views without an identifier are not reused.
    void enqueue(std::shared_ptr<View> view) {
        if (!view || view->reuseIdentifier().empty()) {
            return;
        }
        auto& queue = waiting_[view->reuseIdentifier()];
        if (std::find(queue.begin(), queue.end(), view) == queue.end()) {
            queue.push_back(std::move(view));
        }
    }

    // Takes a view out of the waiting ones (a data source handed it out again directly).
    void remove(const View* view) {
        for (auto& [identifier, queue] : waiting_) {
            std::erase_if(queue, [&](const auto& waiting) { return waiting.get() == view; });
        }
    }

    std::size_t waitingCount() const {
        std::size_t count = 0;
        for (const auto& [identifier, queue] : waiting_) {
            count += queue.size();
        }
        return count;
    }

  private:
    std::unordered_map<std::string, Factory> factories_;
    std::unordered_map<std::string, std::vector<std::shared_ptr<View>>> waiting_;
};
