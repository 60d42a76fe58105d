#include "MainController/Home/Controller/KKleapkeyboardViewController.h"

#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SnapKit/ConstraintMaker.h"

void KKleapkeyboardViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    collectionView_->mj_header()->beginRefreshing();
}

void KKleapkeyboardViewController::setupUI() {
    const auto self = std::static_pointer_cast<KKleapkeyboardViewController>(sharedController());
    films_ = FilmList::make([typeId = std::to_string(type_id)](int page, KKriplog::Completion completion) {
        apiClient.indexVodList(page, typeId, kFilmPageSize, std::move(completion));
    });
    gridSource_ = std::make_shared<FilmGridDataSource>(films_);
    collectionView_ = makeFilmGrid({10, 15, 0, 15});
    collectionView_->setContentInset({0, 0, 70, 0});
    collectionView_->setScrollIndicatorInsets({0, 0, 50, 0});
    collectionView_->setDataSource(gridSource_);
    collectionView_->setDelegate(self);
    view()->addSubview(collectionView_);
    collectionView_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    films_->attach(collectionView_, self);
}

void KKleapkeyboardViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    openFilm(*films_, indexPath.item, *this);
}
