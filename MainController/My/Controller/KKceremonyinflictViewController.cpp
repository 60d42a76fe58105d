#include "MainController/My/Controller/KKceremonyinflictViewController.h"

#include "MainController/My/Cell/KKcombcripple.h"
#include "MainController/My/Model/DownloadCoordinator.h"
#include "MainController/My/Model/DownloadStorage.h"
#include "MainController/My/View/DownloadPageLayout.h"
#include "MainController/Video/Controller/KKrallymultitudeViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "platform/Foundation/Paths.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>

namespace {

const char* const kCacheFolder = "com.SJMediaCacheServer.cache";

// An asset folder name the proxy made: one path component, never one that leads out of
// the cache folder.
bool isPlainFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

long episodeNumber(const std::string& index) {
    long value = 0;
    const auto result = std::from_chars(index.data(), index.data() + index.size(), value);
    return result.ec == std::errc() ? value : 0;
}

} // namespace

KKceremonyinflictViewController::~KKceremonyinflictViewController() {
    if (db) {
        sqlite3_close(db);
    }
}

void KKceremonyinflictViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    openCacheDatabase();
    setupUI();
}

void KKceremonyinflictViewController::viewWillAppear(bool animated) {
    BaseViewController::viewWillAppear(animated);
    loadData();
}

void KKceremonyinflictViewController::openCacheDatabase() {
    const auto path = Paths::documents() / kCacheFolder / "mcs.db";
    sqlite3* connection = nullptr;
    // Read-only and never created: the database is the proxy's.
    if (sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(connection);
        return;
    }
    // The proxy writes while the page reads.
    sqlite3_busy_timeout(connection, 500);
    db = connection;
}

void KKceremonyinflictViewController::setupUI() {
    DownloadPageLayout::install(view(), kkexemptconvention(), kkdilemmaspectacular(), titleLabel(),
                                tableView(), kkvirtuearch());
}

const std::shared_ptr<UIView>& KKceremonyinflictViewController::kkexemptconvention() {
    if (!kkexemptconvention_) {
        kkexemptconvention_ = DownloadPageLayout::makeBar();
    }
    return kkexemptconvention_;
}

const std::shared_ptr<QMUIButton>& KKceremonyinflictViewController::kkdilemmaspectacular() {
    if (!kkdilemmaspectacular_) {
        kkdilemmaspectacular_ = DownloadPageLayout::makeBackButton(sharedController());
    }
    return kkdilemmaspectacular_;
}

const std::shared_ptr<QMUILabel>& KKceremonyinflictViewController::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = DownloadPageLayout::makeTitleLabel();
    }
    return titleLabel_;
}

const std::shared_ptr<UITableView>& KKceremonyinflictViewController::tableView() {
    if (!tableView_) {
        auto self = std::static_pointer_cast<KKceremonyinflictViewController>(sharedController());
        tableView_ = DownloadPageLayout::makeTableView(std::static_pointer_cast<UITableViewDataSource>(self),
                                                       std::static_pointer_cast<UITableViewDelegate>(self));
    }
    return tableView_;
}

const std::shared_ptr<QMUILabel>& KKceremonyinflictViewController::kkvirtuearch() {
    if (!kkvirtuearch_) {
        kkvirtuearch_ = DownloadPageLayout::makeStorageLabel();
    }
    return kkvirtuearch_;
}

void KKceremonyinflictViewController::loadData() {
    ASAttributes attributes{{"state", "finish"}};
    attributes.emplace_back("vod_id", vod_id ? SQLite::Value(*vod_id) : SQLite::Value());
    auto found = KKcommenthumble::findAll(attributes);
    list = found ? *found : std::vector<std::shared_ptr<KKcommenthumble>>{};
    // Episode order: 2 before 10.
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return episodeNumber(a->index) < episodeNumber(b->index);
    });
    kkvirtuearch()->setText(DownloadStorage::storageText());
    tableView()->reloadData();
}

std::string KKceremonyinflictViewController::sizeText(const std::string& url) {
    if (!db) {
        return "0 MB";
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM MCSAssetExporter WHERE URLString = ? LIMIT 1", -1,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return "0 MB";
    }
    sqlite3_bind_text(statement, 1, url.c_str(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
    std::string name;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        if (const auto* text = sqlite3_column_text(statement, 0)) {
            name = reinterpret_cast<const char*>(text);
        }
    }
    sqlite3_finalize(statement);
    if (!isPlainFolderName(name)) {
        return "0 MB";
    }
    const auto folder = Paths::documents() / kCacheFolder / name;
    return KKpresentationdisease::formatSize(KKpresentationdisease::folderSize(folder.string()));
}

long KKceremonyinflictViewController::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(list.size());
}

std::optional<CGFloat> KKceremonyinflictViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return 74.0;
}

std::shared_ptr<UITableViewCell> KKceremonyinflictViewController::cellForRowAt(UITableView& tableView,
                                                                               const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcombcripple>(tableView, indexPath);
    const auto& record = list[static_cast<std::size_t>(indexPath.row())];
    sd_setImageWithURL(cell->kkdrainexempt(), record->cover, UIImage::imageNamed("default_background"));
    cell->kkhighlyscrutiny()->setHidden(true);
    cell->name()->setText(record->name + " " + record->episode);
    cell->kkunderneathhostage()->setText((record->watching == "no" ? "未观看 " : "已观看 ") +
                                         sizeText(record->url));
    return cell;
}

void KKceremonyinflictViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const auto& record = list[static_cast<std::size_t>(indexPath.row())];
    auto player = std::make_shared<KKrallymultitudeViewController>();
    player->downloadSelectIndex = static_cast<int>(episodeNumber(record->index));
    player->vod_id = record->vod_id;
    player->type = record->type;
    showViewController(player, nullptr);
}

void KKceremonyinflictViewController::commit(UITableView&, UITableViewCellEditingStyle,
                                             const NSIndexPath& indexPath) {
    const auto record = list[static_cast<std::size_t>(indexPath.row())];
    DownloadCoordinator::shared().remove(record->url);
    std::weak_ptr<KKceremonyinflictViewController> weak =
        std::static_pointer_cast<KKceremonyinflictViewController>(sharedController());
    mainQueue().async([weak] {
        if (auto page = weak.lock()) {
            page->loadData();
        }
    });
}
