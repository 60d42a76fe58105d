#pragma once

#include "MainController/Video/Model/KKcontrastpierce.h"
#include "platform/Foundation/JSON.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using ShortVideoItems = std::vector<std::shared_ptr<KKcontrastpierce>>;

// The items of one answer of the short-video endpoint ("list"), in order, leaving out
// elements that decode to nothing (no media address to play).
ShortVideoItems shortVideoItems(const JSON& answer);

// Asks the short-video endpoint for page "1", one request at a time, for a page that owns
// the loader: the answer goes to the completion only while the loader exists and was not
// reset since the request left. A failed request answers none.
class ShortVideoLoader {
  public:
    using Completion = std::function<void(std::optional<ShortVideoItems> items)>;

    // Sends a request unless one is in flight; answers whether one was sent.
    bool load(Completion completion);
    bool isLoading() const { return state_->loading; }
    // Forgets the request in flight: its answer is dropped and a new one may leave.
    void reset();

  private:
    struct State {
        bool loading = false;
        unsigned generation = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
