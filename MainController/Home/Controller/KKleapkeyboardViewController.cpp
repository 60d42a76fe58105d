#include "MainController/Home/Controller/KKleapkeyboardViewController.h"

#include "MainController/Home/Helpers/FilmGrid.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SnapKit/ConstraintMaker.h"

void KKleapkeyboardViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    collectionView_->mj_header()->beginRefreshing();
}

void KKleapkeyboardViewController::setupUI() {
    std::weak_ptr<KKleapkeyboardViewController> weak =
        std::static_pointer_cast<KKleapkeyboardViewController>(sharedController());
    const std::string typeId = std::to_string(type_id);
    pages_ = FilmPages::make(
        [typeId](int page, KKriplog::Completion completion) {
            apiClient.indexVodList(page, typeId, FilmPages::pageSize, std::move(completion));
        },
        [weak](const FilmPages::Update& update) {
            if (auto self = weak.lock()) {
                showFilmPagesUpdate(*self->collectionView_, update);
            }
        });
    gridSource_ = std::make_shared<FilmGridDataSource>(pages_);
    collectionView_ = makeFilmGrid({10, 15, 0, 15});
    collectionView_->setContentInset({0, 0, 70, 0});
    collectionView_->setScrollIndicatorInsets({0, 0, 50, 0});
    collectionView_->setDataSource(gridSource_);
    collectionView_->setDelegate(weak.lock());
    view()->addSubview(collectionView_);
    collectionView_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    attachFilmRefreshControls(*collectionView_, pages_);
}

void KKleapkeyboardViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    openFilm(*pages_, indexPath.item, *this);
}
