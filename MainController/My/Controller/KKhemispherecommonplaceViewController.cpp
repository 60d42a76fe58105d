#include "MainController/My/Controller/KKhemispherecommonplaceViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/My/Cell/KKcrippleconscientious.h"
#include "MainController/My/View/MyListTable.h"
#include "MainController/My/View/MyTexts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"

void KKhemispherecommonplaceViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    films_->refresh();
}

void KKhemispherecommonplaceViewController::setupUI() {
    setTitle(decodedText("5oiR55qE5pS26JeP"));
    auto self = std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    tableView_ = makeMyListTable(self, self);
    tableView_->setAccessibilityIdentifier("favourites.list");
    tableView_->setContentInset({});
    tableView_->setScrollIndicatorInsets({});
    tableView_->registerClass<KKcrippleconscientious>(classNameOf<KKcrippleconscientious>());
    view()->addSubview(tableView_);
    // The page's own view: the page that opened this one is still on top at this moment.
    QMUITips::showLoadingInView(view());
    pinBelowSafeArea(tableView_, view());
    films_->attach(tableView_, self);
}

void KKhemispherecommonplaceViewController::fetchFilms(int, PagedListBase::Completion completion) {
    apiClient.sendRequest(HTTPMethod::get, "api/getCollectionList", {}, std::move(completion));
}

void KKhemispherecommonplaceViewController::remove(const KKfinancerub& film) {
    if (!film.vodId || film.vodId->empty()) {
        return;
    }
    std::weak_ptr<KKhemispherecommonplaceViewController> weakSelf =
        std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    apiClient.collectionState(
        *film.vodId, false, [weakSelf, id = *film.vodId](std::optional<JSON> json, std::optional<NSError>) {
            auto self = weakSelf.lock();
            if (!self || !json) {
                return;
            }
            // The service has let the title go: its row goes now, whatever becomes of the
            // list asked next (a later removal drops this one's answer, and it may fail).
            self->films_->removeRows([&id](const KKfinancerub& row) { return row.vodId == id; });
            self->films_->refresh();
        });
}

long KKhemispherecommonplaceViewController::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(films_->size());
}

std::optional<CGFloat> KKhemispherecommonplaceViewController::heightForRowAt(UITableView&,
                                                                             const NSIndexPath&) {
    return 64;
}

std::shared_ptr<UITableViewCell>
KKhemispherecommonplaceViewController::cellForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcrippleconscientious>(tableView, indexPath);
    const KKfinancerub* row = films_->at(indexPath.row());
    if (!row) {
        return cell;
    }
    const KKfinancerub& film = *row;
    cell->name()->setText(film.vodName.value_or(""));
    cell->classType()->setText(film.year.value_or("") + "/" + film.area.value_or("") + "/" +
                               film.classTypeName.value_or(""));
    if (film.vodPic && !film.vodPic->empty()) {
        sd_setImageWithURL(cell->kkdrainexempt(), *film.vodPic, placeholderImage());
    } else {
        sd_cancelCurrentImageLoad(cell->kkdrainexempt());
        cell->kkdrainexempt()->setImage(placeholderImage());
    }
    cell->kkpettyverdict()->setSelected(true);
    std::weak_ptr<KKhemispherecommonplaceViewController> weakSelf =
        std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    cell->kkpettyverdict()->setQmui_tapBlock([weakSelf, film](UIControl&) {
        if (auto page = weakSelf.lock()) {
            page->remove(film);
        }
    });
    return cell;
}

void KKhemispherecommonplaceViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const KKfinancerub* film = films_->at(indexPath.row());
    if (!film) {
        return;
    }
    auto page = std::make_shared<KKgiganticgloomy>();
    if (const auto& id = film->vodId) {
        page->vod_id = *id;
    }
    showViewController(page, nullptr);
}
