#pragma once

#include "app/Models/KKfinancerub.h"
#include "app/Network/KKriplog.h"

#include <functional>
#include <memory>
#include <vector>

// The films of a paged list of the service, page by page: page 1 replaces the list, later
// pages append in server order, and the first empty page ends the paging (a short page
// does not). Knows the API answers and the film model, no views.
//
// Every answer is matched to the request that asked for it: an answer to a request made
// before the latest refresh is dropped, a load-more waits for a refresh still on its way
// (its answer ends the footer too), and a failed load-more takes the page number back so
// that the same page is asked again next time. A failed request changes no film.
class FilmPages : public std::enable_shared_from_this<FilmPages> {
  public:
    // The page size every paged list sends.
    static constexpr const char* pageSize = "15";

    // Sends the request for `page` with `completion`.
    using Fetch = std::function<void(int page, KKriplog::Completion completion)>;
    struct Update {
        bool succeeded = false;  // the answer carried JSON (the list may have changed)
        bool reachedEnd = false; // the page came back empty
    };
    // Called once per answer that is not dropped.
    using Listener = std::function<void(const Update& update)>;

    static std::shared_ptr<FilmPages> make(Fetch fetch, Listener listener);
    FilmPages(Fetch fetch, Listener listener) : fetch_(std::move(fetch)), listener_(std::move(listener)) {}

    // Asks page 1 again.
    void refresh();
    // Asks the next page, unless a request is on its way.
    void loadMore();

    const std::vector<KKfinancerub>& list() const { return list_; }
    // The page asked last.
    int page() const { return page_; }
    bool isLoading() const { return inFlight_; }

  private:
    void request(int page);
    void answered(int page, unsigned generation, const std::optional<JSON>& json);

    Fetch fetch_;
    Listener listener_;
    std::vector<KKfinancerub> list_;
    int page_ = 1;
    unsigned generation_ = 0;
    bool inFlight_ = false;
};
