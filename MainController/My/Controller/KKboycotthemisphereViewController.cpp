#include "MainController/My/Controller/KKboycotthemisphereViewController.h"

#include "MainController/My/Cell/KKacrecomment.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

namespace {

CGFloat noticeTextHeight(const JSON& notice) {
    return KKacrecomment::textHeight(notice["intro"].stringValue(), screenWidth() - 52);
}

} // namespace

void KKboycotthemisphereViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKboycotthemisphereViewController::setupUI() {
    auto self = std::static_pointer_cast<KKboycotthemisphereViewController>(sharedController());
    std::weak_ptr<KKboycotthemisphereViewController> weakSelf = self;

    kkexemptconvention_ = std::make_shared<UIView>();
    kkexemptconvention_->setBackgroundColor(hexColor("1C1B20"));
    kkdilemmaspectacular_ = std::make_shared<QMUIButton>();
    kkdilemmaspectacular_->setAccessibilityIdentifier("notices.back");
    kkdilemmaspectacular_->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
    kkdilemmaspectacular_->setQmui_tapBlock([weakSelf](UIControl&) {
        auto page = weakSelf.lock();
        if (auto navigation = page ? page->navigationController() : nullptr) {
            navigation->popViewControllerAnimated(true);
        }
    });
    titleLabel_ = std::make_shared<QMUILabel>();
    titleLabel_->setText("消息公告");
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setFont(UIFont::systemFontOfSize(18));

    tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
    tableView_->setAccessibilityIdentifier("notices.list");
    tableView_->setDelegate(self);
    tableView_->setDataSource(self);
    tableView_->setEstimatedRowHeight(0);
    tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
    tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
    tableView_->setEstimatedSectionHeaderHeight(0);
    tableView_->setEstimatedSectionFooterHeight(0);
    tableView_->setBackgroundColor(hexColor("28272C"));
    tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    tableView_->registerClass<KKacrecomment>(classNameOf<KKacrecomment>());

    const auto& root = view();
    root->addSubview(tableView_);
    root->addSubview(kkexemptconvention_);
    kkexemptconvention_->addSubview(kkdilemmaspectacular_);
    kkexemptconvention_->addSubview(titleLabel_);
    kkexemptconvention_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });
    kkdilemmaspectacular_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview();
        make.width.height().equalTo(44);
    });
    titleLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.centerX.equalToSuperview();
        make.centerY.equalTo(kkdilemmaspectacular_->snp.centerY);
    });
    tableView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkexemptconvention_->snp.bottom);
        make.left.right().bottom().equalToSuperview();
    });

    tableView_->setMj_header(MJRefreshNormalHeader::headerWithRefreshingBlock([weakSelf] {
        if (auto page = weakSelf.lock()) {
            page->load();
        }
    }));
    tableView_->mj_header()->beginRefreshing();
}

void KKboycotthemisphereViewController::load() {
    // The list on screen stays until an answer replaces it, so that the table never asks
    // for rows of a list that is gone.
    std::weak_ptr<KKboycotthemisphereViewController> weakSelf =
        std::static_pointer_cast<KKboycotthemisphereViewController>(sharedController());
    apiClient.sendRequest(HTTPMethod::post, "api/getNotice", {},
                          [weakSelf](std::optional<JSON> json, std::optional<NSError>) {
                              auto self = weakSelf.lock();
                              if (!self) {
                                  return;
                              }
                              if (json) {
                                  self->list_ = json->arrayValue();
                                  self->tableView_->reloadData();
                              }
                              // A failed request ends the refresh too: the client has shown its message.
                              self->tableView_->mj_header()->endRefreshing();
                          });
}

JSON KKboycotthemisphereViewController::notice(long row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= list_.size()) {
        return JSON::absent();
    }
    return list_[static_cast<std::size_t>(row)];
}

long KKboycotthemisphereViewController::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(list_.size());
}

std::optional<CGFloat> KKboycotthemisphereViewController::heightForRowAt(UITableView&,
                                                                         const NSIndexPath& indexPath) {
    return KKacrecomment::rowHeight(noticeTextHeight(notice(indexPath.row())));
}

std::shared_ptr<UITableViewCell>
KKboycotthemisphereViewController::cellForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKacrecomment>(tableView, indexPath);
    const JSON item = notice(indexPath.row());
    cell->configure(item["create_time"].stringValue(), item["title"].stringValue(),
                    item["intro"].stringValue(), KKacrecomment::cardHeight(noticeTextHeight(item)));
    return cell;
}
