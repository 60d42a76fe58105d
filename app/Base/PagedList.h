#pragma once

#include "platform/Foundation/JSON.h"
#include "platform/Foundation/NSError.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QMUICommonViewController;
class UICollectionView;
class UIScrollView;
class UITableView;

// What a list shows around its rows; each page picks what its screen does.
struct PagedListStyle {
    // A pull-down header asks page 1 again.
    bool pullDownHeader = true;
    // The pull-down drops the rows at once, as `startOver` does, instead of keeping them
    // until the answer.
    bool pullDownEmptiesRows = false;
    // A load-more footer asks the next page; without one the list is a single page that
    // only the pull-down (or the page) asks again.
    bool loadMoreFooter = true;
    // The footer is hidden until an answer leaves rows, and again whenever none are left.
    bool hidesFooterWhenEmpty = false;
    // The footer says there is no more once a page comes back empty (a short page does not
    // end the list).
    bool endsAtEmptyPage = true;
    // When the page's empty view shows.
    enum class EmptyView {
        never,
        // once an answer leaves no rows (until then the list is loading, not empty)
        onceAnswered,
        // whenever the list has no rows, also before the first answer and after a failure
        whenNoRows,
    };
    EmptyView emptyView = EmptyView::never;
};

// The paging of one list of the service: pages count from 1; page 1 replaces the rows, a
// later page appends in the service's order. It drives the list view's pull-down header and
// load-more footer, reloads the view after each answer and shows the page's empty view.
//
// Every answer is matched to the request that asked for it: starting again (a pull-down, a
// new filter or keyword) drops the answers of every earlier request; a load-more while a
// request is on its way asks nothing (the footer spins until that answer ends it); a failed
// page is asked again by the next load-more, so after a failed first page (a pull-down too)
// that is page 1, which replaces the rows. A failed request changes no row, leaves the empty
// view as it was and stops the controls; the listener learns why (the API client has shown
// a service's message). An answer whose list is not an array is an empty page.
class PagedListBase : public std::enable_shared_from_this<PagedListBase> {
  public:
    using Completion = std::function<void(std::optional<JSON> answer, std::optional<NSError> error)>;
    // Sends the request for `page`, answering through `completion`.
    using Fetch = std::function<void(int page, Completion completion)>;

    struct Update {
        bool succeeded = false;         // the answer carried JSON (the rows may have changed)
        bool reachedEnd = false;        // the page came back empty
        const JSON* answer = nullptr;   // the answer, while the listener runs
        const NSError* error = nullptr; // why the request failed, while the listener runs
    };
    // Runs once per answer that is not dropped, after the rows are taken and before the
    // view reloads.
    using Listener = std::function<void(const Update& update)>;

    PagedListBase(Fetch fetch, PagedListStyle style) : fetch_(std::move(fetch)), style_(style) {}
    virtual ~PagedListBase() = default;
    PagedListBase(const PagedListBase&) = delete;
    PagedListBase& operator=(const PagedListBase&) = delete;

    // Puts the style's header and footer on `view`, whose data source reads
    // the rows; `page` shows the empty view. Both are held weakly.
    void attach(const std::shared_ptr<UICollectionView>& view,
                const std::shared_ptr<QMUICommonViewController>& page);
    void attach(const std::shared_ptr<UITableView>& view,
                const std::shared_ptr<QMUICommonViewController>& page);
    void setListener(Listener listener) { listener_ = std::move(listener); }
    // Runs whenever the header or the footer asks a page, before the request leaves.
    void setControlAction(std::function<void()> action) { controlAction_ = std::move(action); }

    // Asks page 1 again; the rows shown stay until its answer replaces them.
    void refresh();
    // Drops the rows at once (the view shows none; the empty view stays as the last answer
    // left it until the new one) and asks page 1.
    void startOver();
    // Asks the next page, unless a request is on its way: then it asks nothing.
    void loadMore();
    // Drops the answers still on their way and stops the controls; the rows stay, and the
    // empty view waits for a new answer.
    void cancel();

    // The page asked last (stepped back after a failed page).
    int page() const { return page_; }
    bool isLoading() const { return inFlight_; }
    // Whether an answer with JSON arrived since the list last started over.
    bool hasAnswered() const { return answered_; }

  protected:
    // Rows came from elsewhere than a request: requests on their way are dropped and the
    // view shows the new rows as it would a first page.
    void rowsReplaced();
    // Rows were taken off: the view shows what is left, and requests on their way still count.
    void rowsRemoved();
    // Takes the rows of `answer`, replacing the rows when `replace`, else appending them;
    // answers how many rows the page brought.
    virtual std::size_t take(const JSON& answer, bool replace) = 0;
    virtual void clearRows() = 0;
    virtual bool hasRows() const = 0;

  private:
    void attachControls(const std::shared_ptr<UIScrollView>& view,
                        const std::shared_ptr<QMUICommonViewController>& page);
    void request(int page);
    void answered(int page, unsigned generation, const std::optional<JSON>& answer,
                  const std::optional<NSError>& error);
    void succeeded(int page, const JSON& answer);
    void failed(int page, const std::optional<NSError>& error);
    void stopControls();
    void hideFooterUnderNoRows();
    void showRowsState();
    void reload();

    Fetch fetch_;
    PagedListStyle style_;
    Listener listener_;
    std::function<void()> controlAction_;
    std::weak_ptr<UIScrollView> view_;
    std::function<void()> reload_;
    std::weak_ptr<QMUICommonViewController> host_;
    int page_ = 1;
    // The pages whose rows are shown and count for paging (0: none, or a failed first page
    // left them to be replaced).
    int loaded_ = 0;
    unsigned generation_ = 0;
    bool inFlight_ = false;
    bool answered_ = false;
};

// The rows of a paged list, each made from one element of an answer by `Parse` (by default
// `Item(element)` for each element of the answer's array).
template <class Item> class PagedList final : public PagedListBase {
  public:
    using Parse = std::function<std::vector<Item>(const JSON& answer)>;

    static std::vector<Item> eachElement(const JSON& answer) {
        std::vector<Item> rows;
        for (const JSON& element : answer.arrayValue()) {
            rows.emplace_back(element);
        }
        return rows;
    }

    static std::shared_ptr<PagedList> make(Fetch fetch, PagedListStyle style = {},
                                           Parse parse = eachElement) {
        return std::make_shared<PagedList>(std::move(fetch), style, std::move(parse));
    }
    PagedList(Fetch fetch, PagedListStyle style, Parse parse)
        : PagedListBase(std::move(fetch), style), parse_(std::move(parse)) {}

    const std::vector<Item>& items() const { return items_; }
    // Shows rows read on the device in place of the rows; a list filled only this way needs
    // neither fetch nor parse.
    void show(std::vector<Item> rows) {
        items_ = std::move(rows);
        rowsReplaced();
    }
    // Takes the rows `gone` picks off the list at once (the service confirmed they are gone).
    template <class Predicate> void removeRows(Predicate gone) {
        std::erase_if(items_, gone);
        rowsRemoved();
    }
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    // The row at `index`; none past the rows (a view may ask before it reloads).
    const Item* at(long index) const {
        return index >= 0 && static_cast<std::size_t>(index) < items_.size()
                   ? &items_[static_cast<std::size_t>(index)]
                   : nullptr;
    }

  protected:
    std::size_t take(const JSON& answer, bool replace) override {
        std::vector<Item> rows = parse_(answer);
        const std::size_t count = rows.size();
        if (replace) {
            items_ = std::move(rows);
        } else {
            items_.insert(items_.end(), std::make_move_iterator(rows.begin()),
                          std::make_move_iterator(rows.end()));
        }
        return count;
    }
    void clearRows() override { items_.clear(); }
    bool hasRows() const override { return !items_.empty(); }

  private:
    Parse parse_;
    std::vector<Item> items_;
};
