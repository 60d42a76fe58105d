#include "MainController/Video/Controller/KKrallymultitudeViewController.h"

#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "MainController/Video/Model/EpisodeStartRules.h"
#include "MainController/Video/View/EpisodeGrid.h"
#include "MainController/Video/View/KKcounciloblige.h"
#include "MainController/Video/View/KKenrichchop.h"
#include "MainController/Video/View/KKsuicideenrich.h"
#include "app/Base/BaseCells.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKfinancerub.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILayoutGuide.h"

namespace {

const std::string headerKind = UICollectionElementKindSectionHeader;
const std::string footerKind = UICollectionElementKindSectionFooter;

// The bottom edge of `view` in its superview's coordinates, once its superview is laid
// out at the screen's width.
CGFloat bottomEdge(UIView& container, UIView& view) {
    container.setFrame(CGRect{{0, 0}, {screenWidth(), container.frame().size.height}});
    container.layoutIfNeeded();
    return view.frame().origin.y + view.frame().size.height;
}

} // namespace

std::weak_ptr<KKrallymultitudeViewController> KKrallymultitudeViewController::weakSelf() {
    return std::static_pointer_cast<KKrallymultitudeViewController>(sharedController());
}

// ---- Opening ----

void KKrallymultitudeViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    ensureCacheRecord();
    setupUI();
    QMUITips::showLoadingInView(KKpresentationdisease::getCurrentVC()->view());
    auto weak = weakSelf();
    apiClient.getVideoInfo(vod_id, "", [weak](std::optional<JSON> answer, std::optional<NSError>) {
        if (auto page = weak.lock()) {
            page->handleDetail(answer);
        }
    });
    loadHistory();
    setupPlayer();
    loadEpisodeList();
    setupAirPlayOverlay();
}

void KKrallymultitudeViewController::viewDidAppear(bool animated) {
    BaseViewController::viewDidAppear(animated);
    player()->vc_viewDidAppear();
}

void KKrallymultitudeViewController::viewWillDisappear(bool animated) {
    BaseViewController::viewWillDisappear(animated);
    player()->vc_viewWillDisappear();
}

void KKrallymultitudeViewController::viewDidDisappear(bool animated) {
    BaseViewController::viewDidDisappear(animated);
    player()->vc_viewDidDisappear();
}

// The cache record is kept per title and source, so that an offline opening pairs a
// source's episodes with that same source.
void KKrallymultitudeViewController::ensureCacheRecord() {
    auto found = KKenthusiasticreap::findFirst(ASAttributes{{"vod_id", vod_id}, {"type", type}});
    if (found && *found) {
        kkbladequest = *found;
        return;
    }
    kkbladequest = std::make_shared<KKenthusiasticreap>();
    kkbladequest->vod_id = vod_id;
    kkbladequest->type = type;
    // An unsaved record still serves this page; the next opening simply finds no cache.
    (void)kkbladequest->save();
}

void KKrallymultitudeViewController::handleDetail(const std::optional<JSON>& answer) {
    if (answer) {
        if (answer->type() == JSON::Type::dictionary) {
            kkbladequest->videoJson = KKpresentationdisease::toJSONString(*answer);
            (void)kkbladequest->save();
        }
        json = *answer;
    } else {
        if (kkbladequest->videoJson.empty()) {
            return;
        }
        json = JSON::parse(kkbladequest->videoJson);
    }
    for (const JSON& source : json["list"].arrayValue()) {
        if (source["type"].stringValue() != type) {
            continue;
        }
        episode = source["name"].stringValue();
        // A page opened for a download starts that download, never the source's first
        // episode; a title with a playback record starts the recorded episode.
        if (!kkquestcommunicate && downloadSelectIndex < 0) {
            requestParse(source["vod_url"].stringValue());
        }
        break;
    }
    collectionView()->reloadData();
}

void KKrallymultitudeViewController::loadEpisodeList() {
    QMUITips::showLoadingInView(KKpresentationdisease::getCurrentVC()->view());
    const std::uint64_t sequence = ++listSequence_;
    auto weak = weakSelf();
    apiClient.getVideoList(vod_id, type,
                           [weak, sequence](std::optional<JSON> answer, std::optional<NSError>) {
                               auto page = weak.lock();
                               if (page && sequence == page->listSequence_) {
                                   page->handleEpisodeList(answer);
                               }
                           });
}

void KKrallymultitudeViewController::handleEpisodeList(const std::optional<JSON>& answer) {
    if (answer) {
        if (answer->type() == JSON::Type::array) {
            kkbladequest->videoListJson = KKpresentationdisease::toJSONString(*answer);
            (void)kkbladequest->save();
        }
        list = answer->arrayValue();
        collectionView()->reloadData();
    } else if (!kkbladequest->videoListJson.empty()) {
        list = JSON::parse(kkbladequest->videoListJson).arrayValue();
        collectionView()->reloadData();
    }
    auto weak = weakSelf();
    mainQueue().asyncAfter(0.1, [weak] {
        if (auto page = weak.lock()) {
            page->playEpisode();
        }
    });
}

void KKrallymultitudeViewController::loadHistory() {
    auto records = SJPlaybackHistoryController::shared().recordsForConditions(
        {SJSQLite3Condition::conditionWithColumn("vodId", vod_id)},
        {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
    if (!records) {
        return;
    }
    for (const auto& record : *records) {
        if (record->vodId && *record->vodId == vod_id) {
            kkquestcommunicate = record;
            return;
        }
    }
}

// ---- Layout ----

void KKrallymultitudeViewController::setupUI() {
    setEdgesForExtendedLayout(UIRectEdgeNone);
    view()->setBackgroundColor(UIColor::blackColor());
    view()->addSubview(kksummonhoney());
    view()->addSubview(collectionView());
    kksummonhoney_->addSubview(player()->view());
    kksummonhoney_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.right().equalToSuperview();
        make.top.equalTo(view()->readableContentGuide()->snp.top);
        make.height.equalTo(kksummonhoney_->snp.width).multipliedBy(0.5625);
    });
    player_->view()->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    collectionView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(view()->readableContentGuide()->snp.top).offset(screenWidth() * 9 / 16);
        make.bottom.left().right().equalToSuperview();
    });
}

const std::shared_ptr<UIView>& KKrallymultitudeViewController::kksummonhoney() {
    if (!kksummonhoney_) {
        kksummonhoney_ = std::make_shared<UIView>();
    }
    return kksummonhoney_;
}

const std::shared_ptr<UICollectionView>& KKrallymultitudeViewController::collectionView() {
    if (!collectionView_) {
        auto self = std::static_pointer_cast<KKrallymultitudeViewController>(sharedController());
        collectionView_ = makeEpisodeGrid(UIEdgeInsets{10, 15, 0, 15}, self, self);
        collectionView_->registerClassForSupplementaryViewOfKind(
            [] { return std::static_pointer_cast<UICollectionReusableView>(KKcounciloblige::make()); },
            headerKind, classNameOf<KKcounciloblige>());
        collectionView_->registerClassForSupplementaryViewOfKind(
            [] { return std::static_pointer_cast<UICollectionReusableView>(KKsuicideenrich::make()); },
            footerKind, classNameOf<KKsuicideenrich>());
        for (const auto& kind : {headerKind, footerKind}) {
            collectionView_->registerClassForSupplementaryViewOfKind<BaseCollectionReusableView>(
                kind, classNameOf<BaseCollectionReusableView>());
        }
    }
    return collectionView_;
}

void KKrallymultitudeViewController::setupAirPlayOverlay() {
    auto image = std::make_shared<UIImageView>(UIImage::systemImageNamed("play.tv"));
    image->setContentMode(UIViewContentMode::scaleAspectFill);
    image->setTintColor(UIColor::whiteColor());
    auto label = std::make_shared<QMUILabel>();
    label->setText(EpisodeStartRules::decodedText("QWlyUGxheSDmipXmlL7kuK0="));
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(14));
    const auto& overlay = kkdissolveconfine();
    overlay->addSubview(image);
    overlay->addSubview(label);
    image->snp.makeConstraints([](ConstraintMaker& make) {
        make.center.equalToSuperview();
        make.width.height().equalTo(100);
    });
    label->snp.makeConstraints([&image](ConstraintMaker& make) {
        make.top.equalTo(image->snp.bottom).offset(15);
        make.centerX.equalTo(image->snp.centerX);
    });
    player()->defaultEdgeControlLayer()->insertSubview(overlay, 0);
    overlay->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
}

const std::shared_ptr<UIView>& KKrallymultitudeViewController::kkdissolveconfine() {
    if (!kkdissolveconfine_) {
        kkdissolveconfine_ = std::make_shared<UIView>();
        kkdissolveconfine_->setHidden(true);
        kkdissolveconfine_->setBackgroundColor(UIColor::blackColor());
    }
    return kkdissolveconfine_;
}

// ---- The grid, header and footer ----

long KKrallymultitudeViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(list.size());
}

std::shared_ptr<UICollectionViewCell>
KKrallymultitudeViewController::cellForItemAt(UICollectionView& collectionView,
                                              const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKintegratecompatible>(collectionView, indexPath);
    cell->name()->setText(list[static_cast<std::size_t>(indexPath.item)]["item"].stringValue());
    const bool current = indexPath == index;
    cell->setBackgroundColor(current ? hexColor("D73F3F", 1) : hexColor("#F5F6F8", 1));
    cell->name()->setTextColor(current ? UIColor::whiteColor() : hexColor("28272C", 1));
    return cell;
}

void KKrallymultitudeViewController::fillHeader() {
    if (!kkgrapeleap) {
        return;
    }
    const KKfinancerub model(json);
    kkgrapeleap->title()->setText(model.vodName.value_or(""));
    kkgrapeleap->classType()->setText(model.year.value_or("") + "/" + model.area.value_or("") + "/" +
                                      model.classTypeName.value_or(""));
    kkgrapeleap->kkpettyverdict()->setSelected(model.isCollection.value_or(false));
}

void KKrallymultitudeViewController::fillFooter() {
    if (!kkconfineblade) {
        return;
    }
    const KKfinancerub model(json);
    kkconfineblade->areaLabel()->setText(model.area.value_or(""));
    kkconfineblade->yearLabel()->setText(model.year.value_or(""));
    kkconfineblade->classLabel()->setText(model.classTypeName.value_or(""));
    kkconfineblade->directorLabel()->setText(model.director.value_or(""));
    kkconfineblade->actorLabel()->setText(model.actor.value_or(""));
    kkconfineblade->kkverdictheadquarters()->setText(model.pubdate.value_or(""));
    kkconfineblade->kkcompetentingredient()->setText(model.blurb.value_or(""));
}

std::shared_ptr<UICollectionReusableView> KKrallymultitudeViewController::viewForSupplementaryElementOfKind(
    UICollectionView& collectionView, const std::string& kind, const NSIndexPath& indexPath) {
    if (json.isEmpty()) {
        return dequeueReusableSupplementaryView<BaseCollectionReusableView>(collectionView, kind, indexPath);
    }
    if (kind == headerKind) {
        if (!kkgrapeleap) {
            kkgrapeleap = dequeueReusableSupplementaryView<KKcounciloblige>(collectionView, kind, indexPath);
            installHeaderActions();
        }
        fillHeader();
        return kkgrapeleap;
    }
    if (!kkconfineblade) {
        kkconfineblade = dequeueReusableSupplementaryView<KKsuicideenrich>(collectionView, kind, indexPath);
    }
    fillFooter();
    return kkconfineblade;
}

std::optional<CGSize> KKrallymultitudeViewController::referenceSizeForHeaderInSection(UICollectionView&,
                                                                                      UICollectionViewLayout&,
                                                                                      long) {
    if (!kkgrapeleap) {
        return CGSize{screenWidth(), 290};
    }
    fillHeader();
    return CGSize{screenWidth(), bottomEdge(*kkgrapeleap, *kkgrapeleap->kkdecoratevirtue())};
}

std::optional<CGSize> KKrallymultitudeViewController::referenceSizeForFooterInSection(UICollectionView&,
                                                                                      UICollectionViewLayout&,
                                                                                      long) {
    if (!kkconfineblade) {
        return CGSize{screenWidth(), 305};
    }
    fillFooter();
    return CGSize{screenWidth(), bottomEdge(*kkconfineblade, *kkconfineblade->kkcompetentingredient()) + 60};
}

void KKrallymultitudeViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    chooseEpisode(indexPath);
}

void KKrallymultitudeViewController::openEpisodeStrip() {
    auto strip = KKenrichchop::make();
    strip->index = index;
    strip->list = list;
    auto weak = weakSelf();
    strip->kkbenefitcompetent = [weak](const NSIndexPath& indexPath) {
        if (auto page = weak.lock()) {
            page->chooseEpisode(indexPath);
        }
    };
    const auto& layer = player()->defaultEdgeControlLayer();
    layer->addSubview(strip);
    strip->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    std::weak_ptr<KKenrichchop> weakStrip = strip;
    mainQueue().asyncAfter(0.1, [weakStrip] {
        if (auto shown = weakStrip.lock()) {
            shown->show();
        }
    });
}
