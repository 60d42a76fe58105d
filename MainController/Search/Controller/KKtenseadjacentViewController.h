#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "app/Models/KKfinancerub.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/UIKit/Controls/UITableView.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIStackView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The search page: its own top bar with a back button and the search box; under it the
// hot searches ("热门搜索", from the service once per page) and the stored history
// ("搜索历史"), both as ranked lines two to a line. While the user types, suggestions for
// the typed text cover the upper part of the page; a committed search shows the paged
// results over everything below the bar, and a result opens that film's resource list.
//
// A search is committed by the return key, a hot, history or suggestion line, or the
// `text` an opener hands in (searched at once). Only answers to the latest request count:
// a results page asked for an older keyword, or suggestions for an older text, are dropped
// when they arrive. Whether a keyword found nothing ("暂无数据") changes with its answer; a
// failed search keeps what the page said and shows why it failed.
class KKtenseadjacentViewController : public BaseViewController,
                                      public UITableViewDataSource,
                                      public UITableViewDelegate,
                                      public UITextFieldDelegate {
  public:
    KKtenseadjacentViewController();

    // The views, each made on first use and kept.
    const std::shared_ptr<UIView>& kkexemptconvention();           // the top bar
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular();     // back
    const std::shared_ptr<UIView>& kkboycotthemisphere();          // the search box
    const std::shared_ptr<UIImageView>& kkhemispherecommonplace(); // the search icon
    const std::shared_ptr<QMUITextField>& kkcommonplaceremedy();   // the search field
    const std::shared_ptr<QMUILabel>& kkremedyiri();               // the history title
    const std::shared_ptr<UIStackView>& kkiriintrigue();           // the history lines
    const std::shared_ptr<QMUILabel>& kkintriguepolitician();      // the hot title
    const std::shared_ptr<UIStackView>& kkloungecandy();           // the hot lines
    const std::shared_ptr<UITableView>& tableView();               // results
    const std::shared_ptr<UITableView>& searchTableView();         // suggestions

    // A keyword handed in by the opener before the page loads.
    std::optional<std::string> text;
    // Set just while the page writes a keyword into the search field itself, so that the
    // field's editing-changed event for that write is not taken for the user's edit.
    bool isClick = false;
    // The keyword of the results on screen.
    std::string keyword;
    // The suggestions of the latest answer for the field's text.
    std::vector<JSON> relation;
    // The hot searches.
    std::vector<KKfinancerub> kkpoliticianuniverse;

    // Every results page loaded for `keyword` so far.
    const std::vector<KKfinancerub>& list() const { return results_->items(); }
    // The results page last asked for.
    int page() const { return results_->page(); }

    void viewDidLoad() override;
    bool preferredNavigationBarHidden() const override { return true; }
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

    void setupUI();
    void loadHotList();
    void showHotList();
    void showHistory();
    // The search field's editing-changed action: suggestions for the typed text.
    void textFieldEditingChanged();

    // ---- UITextFieldDelegate ----
    bool shouldReturn(UITextField& textField) override;

    // ---- UITableViewDataSource, UITableViewDelegate (both tables) ----
    long numberOfRowsInSection(UITableView& table, long section) override;
    std::optional<CGFloat> heightForRowAt(UITableView& table, const NSIndexPath& indexPath) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& table, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& table, const NSIndexPath& indexPath) override;

  private:
    // What committed a search; they differ in what they do to the field and the tables.
    enum class Trigger { presetText, hotLine, historyLine, suggestion, returnKey };

    void commitSearch(const std::string& keyword, Trigger trigger);
    // Writes `keyword` into the field without it counting as the user's edit.
    void writeField(const std::string& keyword);
    // Asks `page` of the results for `keyword`, under the loading tip.
    void requestResults(int page, PagedListBase::Completion completion);
    // Says why a results page for the keyword on screen did not come.
    void resultsFailed(const PagedListBase::Update& update);
    void suggestionsArrived(std::uint64_t sequence, const std::optional<JSON>& answer);
    std::shared_ptr<UITableViewCell> suggestionCell(long row);
    std::shared_ptr<UITableViewCell> resultCell(UITableView& table, const NSIndexPath& indexPath);
    std::weak_ptr<KKtenseadjacentViewController> weakSelf();

    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<UIView> kkboycotthemisphere_;
    std::shared_ptr<UIImageView> kkhemispherecommonplace_;
    std::shared_ptr<QMUITextField> kkcommonplaceremedy_;
    std::shared_ptr<QMUILabel> kkremedyiri_;
    std::shared_ptr<UIStackView> kkiriintrigue_;
    std::shared_ptr<QMUILabel> kkintriguepolitician_;
    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<UITableView> searchTableView_;

    // The results: a new keyword starts them over, and answers for an earlier keyword are
    // dropped.
    std::shared_ptr<PagedList<KKfinancerub>> results_;
    // Raised by every suggestion request and whenever suggestions stop being wanted.
    std::uint64_t suggestionSequence_ = 0;
};
