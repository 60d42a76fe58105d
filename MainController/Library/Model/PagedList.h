#pragma once

#include <utility>
#include <vector>

// The paging rules of the catalogue's lists: pages count from 1; a first page replaces the
// rows, a later page appends in the service's order. Each request carries the generation it
// was asked in; starting over (a pull-down, a new filter) begins a new generation, so that
// an answer to an older request can no longer mix into the rows. A failed later page is
// asked again by the next load-more instead of being skipped.
template <class Item> class PagedList {
  public:
    struct Request {
        int page = 1;
        unsigned generation = 0;
    };

    const std::vector<Item>& items() const { return items_; }
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    int page() const { return page_; }

    // Page 1 of a new generation.
    Request firstPage() {
        page_ = 1;
        return {page_, ++generation_};
    }
    // The page after the last one asked for, in the current generation.
    Request nextPage() { return {++page_, generation_}; }
    // Drops every row now (the owner shows the empty list at once).
    void clear() { items_.clear(); }

    // Whether the answer to `request` still belongs to what is shown.
    bool isCurrent(const Request& request) const { return request.generation == generation_; }
    // Takes the rows of an answer; false (and nothing changes) when the answer is stale.
    bool accept(const Request& request, std::vector<Item> rows) {
        if (!isCurrent(request)) {
            return false;
        }
        if (request.page == 1) {
            items_ = std::move(rows);
        } else {
            items_.insert(items_.end(), std::make_move_iterator(rows.begin()),
                          std::make_move_iterator(rows.end()));
        }
        return true;
    }
    // A request failed: a later page steps back so that it is asked again. False when stale.
    bool fail(const Request& request) {
        if (!isCurrent(request)) {
            return false;
        }
        if (request.page > 1 && page_ == request.page) {
            page_ = request.page - 1;
        }
        return true;
    }

  private:
    std::vector<Item> items_;
    int page_ = 1;
    unsigned generation_ = 0;
};
