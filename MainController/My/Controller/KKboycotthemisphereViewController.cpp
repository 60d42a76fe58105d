#include "MainController/My/Controller/KKboycotthemisphereViewController.h"

#include "MainController/My/Cell/KKacrecomment.h"
#include "MainController/My/View/MyListTable.h"
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

    tableView_ = makeMyListTable(self, self);
    tableView_->setAccessibilityIdentifier("notices.list");
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

    notices_->attach(tableView_, self);
    tableView_->mj_header()->beginRefreshing();
}

void KKboycotthemisphereViewController::fetchNotices(int, PagedListBase::Completion completion) {
    apiClient.sendRequest(HTTPMethod::post, "api/getNotice", {}, std::move(completion));
}

JSON KKboycotthemisphereViewController::notice(long row) const {
    const JSON* found = notices_->at(row);
    return found ? *found : JSON::absent();
}

long KKboycotthemisphereViewController::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(notices_->size());
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
