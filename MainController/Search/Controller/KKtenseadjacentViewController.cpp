#include "MainController/Search/Controller/KKtenseadjacentViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Search/Controller/SearchHistory.h"
#include "MainController/Search/View/SearchRankedLines.h"
#include "MainController/Theme/Cell/KKditchgaze.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Extensions/AttributedTextBuilders.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

namespace {

constexpr const char* kPageSize = "15";

// The page's fixed texts are kept as Base64 of their UTF-8; a text that does not decode
// shows empty.
std::string decoded(const std::string& base64) {
    return MIUGTMBase64::decodeBase64String(base64).value_or("");
}

std::shared_ptr<QMUILabel> areaTitle(const std::string& base64) {
    auto label = std::make_shared<QMUILabel>();
    label->setText(decoded(base64));
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(18, UIFontWeightMedium));
    return label;
}

std::shared_ptr<UIStackView> linesStack() {
    auto stack = std::make_shared<UIStackView>();
    stack->setAxis(UILayoutConstraintAxis::vertical);
    stack->setSpacing(12);
    stack->setDistribution(UIStackViewDistribution::equalSpacing);
    return stack;
}

std::shared_ptr<UITableView> plainTable(const UIColor& background) {
    auto table = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
    table->setHidden(true);
    table->setEstimatedRowHeight(0);
    table->setEstimatedSectionHeaderHeight(0);
    table->setEstimatedSectionFooterHeight(0);
    table->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
    table->setBackgroundColor(background);
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    return table;
}

} // namespace

KKtenseadjacentViewController::KKtenseadjacentViewController() {
    // The results belong to this page alone: they ask a page only while the page exists.
    results_ = PagedList<KKfinancerub>::make(
        [this](int page, PagedListBase::Completion completion) {
            requestResults(page, std::move(completion));
        },
        {.pullDownHeader = false,
         .hidesFooterWhenEmpty = true,
         .emptyView = PagedListStyle::EmptyView::onceAnswered});
}

std::weak_ptr<KKtenseadjacentViewController> KKtenseadjacentViewController::weakSelf() {
    return std::static_pointer_cast<KKtenseadjacentViewController>(shared_from_this());
}

// ---- Views ----------------------------------------------------------------------------------

const std::shared_ptr<UIView>& KKtenseadjacentViewController::kkexemptconvention() {
    if (!kkexemptconvention_) {
        kkexemptconvention_ = std::make_shared<UIView>();
        kkexemptconvention_->setBackgroundColor(hexColor("1C1B20"));
    }
    return kkexemptconvention_;
}

const std::shared_ptr<QMUIButton>& KKtenseadjacentViewController::kkdilemmaspectacular() {
    if (!kkdilemmaspectacular_) {
        kkdilemmaspectacular_ = std::make_shared<QMUIButton>();
        kkdilemmaspectacular_->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
        kkdilemmaspectacular_->setQmui_tapBlock([weak = weakSelf()](UIControl&) {
            if (auto self = weak.lock()) {
                if (auto navigation = self->navigationController()) {
                    navigation->popViewControllerAnimated(true);
                }
            }
        });
    }
    return kkdilemmaspectacular_;
}

const std::shared_ptr<UIView>& KKtenseadjacentViewController::kkboycotthemisphere() {
    if (!kkboycotthemisphere_) {
        kkboycotthemisphere_ = std::make_shared<UIView>();
        cornerRadius(*kkboycotthemisphere_, 18);
        kkboycotthemisphere_->setBackgroundColor(hexColor("28272C"));
    }
    return kkboycotthemisphere_;
}

const std::shared_ptr<UIImageView>& KKtenseadjacentViewController::kkhemispherecommonplace() {
    if (!kkhemispherecommonplace_) {
        kkhemispherecommonplace_ = std::make_shared<UIImageView>(UIImage::imageNamed("home_search"));
    }
    return kkhemispherecommonplace_;
}

const std::shared_ptr<QMUITextField>& KKtenseadjacentViewController::kkcommonplaceremedy() {
    if (!kkcommonplaceremedy_) {
        auto field = std::make_shared<QMUITextField>();
        kkcommonplaceremedy_ = field;
        field->setDelegate(std::static_pointer_cast<KKtenseadjacentViewController>(shared_from_this()));
        field->setTextColor(UIColor::whiteColor());
        field->returnKeyType = UIReturnKeyType::search;
        field->setFont(UIFont::systemFontOfSize(16));
        field->setClearButtonMode(UITextFieldViewMode::whileEditing);
        field->setPlaceholder(decoded("6K+36L6T5YWl5a6M5pW055qE5pCc57Si5YaF5a65"));
        field->setPlaceholderColor(hexColor("BEBDC2"));
        field->addTarget(
            [weak = weakSelf()](UIControl&) {
                if (auto self = weak.lock()) {
                    self->textFieldEditingChanged();
                }
            },
            UIControlEventEditingChanged);
        field->becomeFirstResponder();
    }
    return kkcommonplaceremedy_;
}

const std::shared_ptr<QMUILabel>& KKtenseadjacentViewController::kkremedyiri() {
    if (!kkremedyiri_) {
        kkremedyiri_ = areaTitle("5pCc57Si5Y6G5Y+y");
        kkremedyiri_->setHidden(true);
    }
    return kkremedyiri_;
}

const std::shared_ptr<UIStackView>& KKtenseadjacentViewController::kkiriintrigue() {
    if (!kkiriintrigue_) {
        kkiriintrigue_ = linesStack();
    }
    return kkiriintrigue_;
}

const std::shared_ptr<QMUILabel>& KKtenseadjacentViewController::kkintriguepolitician() {
    if (!kkintriguepolitician_) {
        kkintriguepolitician_ = areaTitle("54Ot6Zeo5pCc57Si");
    }
    return kkintriguepolitician_;
}

const std::shared_ptr<UIStackView>& KKtenseadjacentViewController::kkloungecandy() {
    if (!kkloungecandy_) {
        kkloungecandy_ = linesStack();
    }
    return kkloungecandy_;
}

const std::shared_ptr<UITableView>& KKtenseadjacentViewController::tableView() {
    if (!tableView_) {
        tableView_ = plainTable(hexColor("28272C"));
        auto self = std::static_pointer_cast<KKtenseadjacentViewController>(shared_from_this());
        tableView_->setDelegate(self);
        tableView_->setDataSource(self);
        tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
        tableView_->setContentInset(UIEdgeInsetsZero);
        tableView_->setScrollIndicatorInsets(UIEdgeInsetsZero);
        tableView_->registerClass<KKditchgaze>(classNameOf<KKditchgaze>());
    }
    return tableView_;
}

const std::shared_ptr<UITableView>& KKtenseadjacentViewController::searchTableView() {
    if (!searchTableView_) {
        searchTableView_ = plainTable(hexColor("1C1B20"));
        auto self = std::static_pointer_cast<KKtenseadjacentViewController>(shared_from_this());
        searchTableView_->setDelegate(self);
        searchTableView_->setDataSource(self);
    }
    return searchTableView_;
}

// ---- Life cycle and layout ------------------------------------------------------------------

void KKtenseadjacentViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    loadHotList();
    showHistory();
    if (text) {
        commitSearch(*text, Trigger::presetText);
    }
}

void KKtenseadjacentViewController::setupUI() {
    const auto& root = view();
    const auto& bar = kkexemptconvention();
    const auto& back = kkdilemmaspectacular();
    const auto& box = kkboycotthemisphere();
    const auto& icon = kkhemispherecommonplace();
    const auto& field = kkcommonplaceremedy();
    root->addSubview(bar);
    bar->addSubview(back);
    bar->addSubview(box);
    box->addSubview(icon);
    box->addSubview(field);
    for (const std::shared_ptr<UIView>& view :
         std::vector<std::shared_ptr<UIView>>{kkintriguepolitician(), kkloungecandy(), kkremedyiri(),
                                              kkiriintrigue(), tableView(), searchTableView()}) {
        root->addSubview(view);
    }

    bar->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 56);
    });
    back->snp.makeConstraints([](ConstraintMaker& make) {
        make.bottom.equalToSuperview().offset(-6);
        make.width.height().equalTo(44);
        make.left.equalToSuperview();
    });
    box->snp.makeConstraints([&back](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(12);
        make.left.equalToSuperview().offset(44);
        make.centerY.equalTo(back->snp.centerY);
        make.height.equalTo(36);
    });
    icon->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(8);
        make.centerY.equalToSuperview();
    });
    // The field fills the box's height: it sits where the box is.
    field->snp.makeConstraints([&box](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(28);
        make.right.equalToSuperview().inset(8);
        make.height.equalTo(box->snp.height);
        make.centerY.equalToSuperview();
    });
    kkintriguepolitician()->snp.makeConstraints([&bar](ConstraintMaker& make) {
        make.top.equalTo(bar->snp.bottom).offset(15);
        make.left.equalToSuperview().offset(15);
    });
    kkloungecandy()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkintriguepolitician()->snp.bottom).offset(12);
        make.left.equalToSuperview().offset(15);
        make.right.equalToSuperview().inset(15);
    });
    kkremedyiri()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkloungecandy()->snp.bottom).offset(15);
        make.left.equalToSuperview().offset(15);
    });
    kkiriintrigue()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkremedyiri()->snp.bottom).offset(12);
        make.left.equalToSuperview().offset(15);
        make.right.equalToSuperview().inset(15);
    });
    tableView()->snp.makeConstraints([&bar](ConstraintMaker& make) {
        make.top.equalTo(bar->snp.bottom);
        make.left.right().bottom().equalToSuperview();
    });
    searchTableView()->snp.makeConstraints([&bar](ConstraintMaker& make) {
        make.top.equalTo(bar->snp.bottom);
        make.left.right().equalToSuperview();
        make.height.equalTo(400);
    });

    results_->setListener([weak = weakSelf()](const PagedListBase::Update& update) {
        if (const auto self = weak.lock()) {
            self->resultsFailed(update);
        }
    });
    results_->attach(tableView(), std::static_pointer_cast<QMUICommonViewController>(sharedController()));
}

void KKtenseadjacentViewController::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches,
                                                 UIEvent* event) {
    BaseViewController::touchesBegan(touches, event);
    view()->endEditing(true);
}

// ---- Hot searches and history ---------------------------------------------------------------

void KKtenseadjacentViewController::loadHotList() {
    QMUITips::showLoadingInView(view());
    KKriplog::shared().sendRequest(HTTPMethod::get, "api/searchTipList", {},
                                   [weak = weakSelf()](std::optional<JSON> answer, std::optional<NSError>) {
                                       auto self = weak.lock();
                                       if (!self || !answer) {
                                           return;
                                       }
                                       for (const JSON& item : answer->arrayValue()) {
                                           self->kkpoliticianuniverse.emplace_back(item);
                                       }
                                       self->showHotList();
                                   });
}

void KKtenseadjacentViewController::showHotList() {
    for (std::size_t index = 0; index < kkpoliticianuniverse.size(); ++index) {
        const std::string name = kkpoliticianuniverse[index].vodName.value_or("");
        auto line = makeRankedLine(index, name, hotBadgeColour(index), [weak = weakSelf(), name] {
            if (auto self = weak.lock()) {
                self->commitSearch(name, Trigger::hotLine);
            }
        });
        placeTwoToALine(*kkloungecandy(), line, index);
    }
}

void KKtenseadjacentViewController::showHistory() {
    const auto entries = SearchHistory::entries(userDefaults());
    if (!entries) {
        return;
    }
    kkremedyiri()->setHidden(false);
    removeAllSubviews(*kkiriintrigue());
    for (std::size_t index = 0; index < entries->size(); ++index) {
        const std::string entry = (*entries)[index];
        auto line = makeRankedLine(index, entry, historyBadgeColour(), [weak = weakSelf(), entry] {
            if (auto self = weak.lock()) {
                self->commitSearch(entry, Trigger::historyLine);
            }
        });
        placeTwoToALine(*kkiriintrigue(), line, index);
    }
}

// ---- Committing a search --------------------------------------------------------------------

bool KKtenseadjacentViewController::shouldReturn(UITextField& textField) {
    textField.endEditing(true);
    const std::string typed = textField.text();
    if (typed.empty()) {
        // Back to the start: the results of the last keyword are no longer wanted.
        results_->cancel();
        tableView()->setHidden(true);
        return true;
    }
    relation.clear();
    searchTableView()->reloadData();
    searchTableView()->setHidden(true);
    commitSearch(typed, Trigger::returnKey);
    return true;
}

void KKtenseadjacentViewController::commitSearch(const std::string& newKeyword, Trigger trigger) {
    const bool writesFieldFirst =
        trigger == Trigger::hotLine || trigger == Trigger::historyLine || trigger == Trigger::suggestion;
    if (trigger == Trigger::suggestion) {
        tableView()->setHidden(false);
        searchTableView()->setHidden(true);
        kkcommonplaceremedy()->endEditing(true);
    }
    // Suggestions still on their way belong to a text the user has moved on from.
    ++suggestionSequence_;
    keyword = newKeyword;
    if (writesFieldFirst) {
        writeField(keyword);
    }
    // A new keyword pages again from its first page; the footer stays hidden until it has
    // results.
    results_->startOver();
    if (trigger == Trigger::presetText) {
        writeField(keyword);
    }
    SearchHistory::record(userDefaults(), keyword);
    showHistory();
    tableView()->setHidden(false);
    if (trigger == Trigger::suggestion) {
        relation.clear();
        searchTableView()->reloadData();
    }
}

void KKtenseadjacentViewController::writeField(const std::string& newKeyword) {
    // The field reports a change made in code as an edit; isClick absorbs exactly that
    // report, and is cleared again when the text was already there and nothing came.
    isClick = true;
    kkcommonplaceremedy()->setText(newKeyword);
    isClick = false;
}

// ---- Suggestions ----------------------------------------------------------------------------

void KKtenseadjacentViewController::textFieldEditingChanged() {
    if (isClick) {
        isClick = false;
        return;
    }
    const auto& field = kkcommonplaceremedy();
    if (field->markedTextRange()) {
        // The input method is still composing: suggestions follow the committed text.
        return;
    }
    const std::string typed = field->text();
    const std::uint64_t sequence = ++suggestionSequence_;
    if (typed.empty()) {
        searchTableView()->setHidden(true);
        return;
    }
    searchTableView()->setHidden(false);
    KKriplog::shared().searchText(
        typed, [weak = weakSelf(), sequence](std::optional<JSON> answer, std::optional<NSError>) {
            if (auto self = weak.lock()) {
                self->suggestionsArrived(sequence, answer);
            }
        });
}

void KKtenseadjacentViewController::suggestionsArrived(std::uint64_t sequence,
                                                       const std::optional<JSON>& answer) {
    if (sequence != suggestionSequence_ || !answer) {
        return;
    }
    relation = answer->arrayValue();
    searchTableView()->reloadData();
}

std::shared_ptr<UITableViewCell> KKtenseadjacentViewController::suggestionCell(long row) {
    auto cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::defaultStyle, "cell");
    cell->setBackgroundColor(UIColor::clearColor());
    if (row < 0 || static_cast<std::size_t>(row) >= relation.size()) {
        return cell;
    }
    const std::string name = relation[static_cast<std::size_t>(row)]["vod_name"].stringValue();
    TextAttributes whole;
    whole.foregroundColor = UIColor::whiteColor();
    whole.font = UIFont::systemFontOfSize(14, UIFontWeightMedium);
    TextAttributes typed;
    typed.foregroundColor = hexColor("D73F3F");
    cell->textLabel()->setAttributedText(
        attributeStringInside(name, whole, kkcommonplaceremedy()->text(), typed));
    return cell;
}

// ---- Results --------------------------------------------------------------------------------

void KKtenseadjacentViewController::requestResults(int page, PagedListBase::Completion completion) {
    QMUITips::showLoadingInView(view());
    KKriplog::shared().searchList(page, keyword, kPageSize, std::move(completion));
}

void KKtenseadjacentViewController::resultsFailed(const PagedListBase::Update& update) {
    // The results and the empty view stay as they were. The client shows the service's
    // message; when no envelope came (a dropped connection) it shows none, so the page does.
    if (update.succeeded || !update.error || !KKriplog::isLocalError(*update.error)) {
        return;
    }
    QMUITips::showError(update.error->domain, view());
}

std::shared_ptr<UITableViewCell> KKtenseadjacentViewController::resultCell(UITableView& table,
                                                                           const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKditchgaze>(table, indexPath);
    const KKfinancerub* result = results_->at(indexPath.row());
    if (!result) {
        return cell;
    }
    const KKfinancerub& film = *result;
    cell->name()->setTextColor(UIColor::whiteColor());
    cell->name()->setText(film.vodName.value_or(""));
    cell->kkdecoratevirtue()->setHidden(true);
    cell->classType()->setTextColor(hexColor("BEBDC2"));
    cell->classType()->setText(film.year.value_or("") + "/" + film.area.value_or("") + "/" +
                               film.classTypeName.value_or(""));
    cell->desc()->setText(film.blurb.value_or(""));
    // Always set, so that a reused cell never keeps another film's poster: an address
    // that does not load leaves the placeholder.
    sd_setImageWithURL(cell->kkdrainexempt(), film.vodPic.value_or(""), placeholderImage());
    return cell;
}

// ---- Tables ---------------------------------------------------------------------------------

long KKtenseadjacentViewController::numberOfRowsInSection(UITableView& table, long) {
    return static_cast<long>(&table == searchTableView_.get() ? relation.size() : results_->size());
}

std::optional<CGFloat> KKtenseadjacentViewController::heightForRowAt(UITableView& table, const NSIndexPath&) {
    return &table == searchTableView_.get() ? 55 : 160;
}

std::shared_ptr<UITableViewCell> KKtenseadjacentViewController::cellForRowAt(UITableView& table,
                                                                             const NSIndexPath& indexPath) {
    return &table == searchTableView_.get() ? suggestionCell(indexPath.row()) : resultCell(table, indexPath);
}

void KKtenseadjacentViewController::didSelectRowAt(UITableView& table, const NSIndexPath& indexPath) {
    const auto row = static_cast<std::size_t>(indexPath.row());
    if (&table == searchTableView_.get()) {
        if (row < relation.size()) {
            commitSearch(relation[row]["vod_name"].stringValue(), Trigger::suggestion);
        }
        return;
    }
    if (const KKfinancerub* film = results_->at(indexPath.row())) {
        auto resources = std::make_shared<KKgiganticgloomy>();
        resources->vod_id = film->vodId.value_or("");
        showViewController(resources, nullptr);
    }
}
