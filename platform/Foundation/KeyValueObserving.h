#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// What an observation reports: with `newValue` the value after the change, with
// `oldValue` the one before, with `initial` one report at once when observing starts.
using NSKeyValueObservingOptions = unsigned;
inline constexpr NSKeyValueObservingOptions NSKeyValueObservingOptionNew = 1u << 0;
inline constexpr NSKeyValueObservingOptions NSKeyValueObservingOptionOld = 1u << 1;
inline constexpr NSKeyValueObservingOptions NSKeyValueObservingOptionInitial = 1u << 2;

template <class T> struct NSKeyValueObservedChange {
    std::optional<T> oldValue;
    std::optional<T> newValue;
};

// One observation: it lasts while this object lives, or until invalidate.
class NSKeyValueObservation {
  public:
    explicit NSKeyValueObservation(std::shared_ptr<void> registration)
        : registration_(std::move(registration)) {}
    void invalidate() { registration_.reset(); }

  private:
    std::shared_ptr<void> registration_;
};

// A property that others can observe, standing in for key-value observing: every set
// reports to the observers, in the order they started observing (a set to an equal value
// reports too, as automatic notifications do). Main thread only.
template <class T> class KeyValueObservable {
  public:
    using Handler = std::function<void(const NSKeyValueObservedChange<T>& change)>;

    explicit KeyValueObservable(T value = T{}) : value_(std::move(value)) {}
    KeyValueObservable(const KeyValueObservable&) = delete;
    KeyValueObservable& operator=(const KeyValueObservable&) = delete;

    const T& value() const { return value_; }

    void setValue(T value) {
        T old = std::exchange(value_, std::move(value));
        std::vector<std::shared_ptr<Observer>> current;
        for (const auto& weakObserver : observers_) {
            if (auto observer = weakObserver.lock()) {
                current.push_back(std::move(observer));
            }
        }
        std::erase_if(observers_, [](const auto& observer) { return observer.expired(); });
        for (const auto& observer : current) {
            NSKeyValueObservedChange<T> change;
            if (observer->options & NSKeyValueObservingOptionOld) {
                change.oldValue = old;
            }
            if (observer->options & NSKeyValueObservingOptionNew) {
                change.newValue = value_;
            }
            // A handler may end its own observation; the copy keeps it alive meanwhile.
            const Handler handler = observer->handler;
            handler(change);
        }
    }

    [[nodiscard]] std::shared_ptr<NSKeyValueObservation> observe(NSKeyValueObservingOptions options,
                                                                 Handler handler) {
        auto observer = std::make_shared<Observer>(Observer{options, std::move(handler)});
        observers_.push_back(observer);
        if (options & NSKeyValueObservingOptionInitial) {
            NSKeyValueObservedChange<T> change;
            if (options & NSKeyValueObservingOptionNew) {
                change.newValue = value_;
            }
            const Handler initial = observer->handler;
            initial(change);
        }
        return std::make_shared<NSKeyValueObservation>(std::move(observer));
    }

  private:
    struct Observer {
        NSKeyValueObservingOptions options;
        Handler handler;
    };
    T value_;
    std::vector<std::weak_ptr<Observer>> observers_;
};
