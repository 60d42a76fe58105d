#include "MainController/My/View/DownloadPageLayout.h"

#include "MainController/My/Cell/KKcombcripple.h"
#include "MainController/My/Model/DownloadStorage.h"
#include "MainController/My/View/MyListTable.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UILayoutGuide.h"

namespace DownloadPageLayout {

std::shared_ptr<UIView> makeBar() {
    auto bar = std::make_shared<UIView>();
    bar->setBackgroundColor(hexColor("1C1B20"));
    return bar;
}

std::shared_ptr<QMUIButton> makeBackButton(const std::weak_ptr<UIViewController>& page) {
    auto back = std::make_shared<QMUIButton>();
    back->setAccessibilityIdentifier("downloads.back");
    back->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
    back->setQmui_tapBlock([page](UIControl&) {
        auto controller = page.lock();
        if (!controller) {
            return;
        }
        if (auto navigation = controller->navigationController()) {
            navigation->popViewControllerAnimated(true);
        }
    });
    return back;
}

std::shared_ptr<QMUILabel> makeTitleLabel() {
    auto title = std::make_shared<QMUILabel>();
    title->setText("下载");
    title->setTextColor(UIColor::whiteColor());
    title->setFont(UIFont::systemFontOfSize(18));
    return title;
}

std::shared_ptr<UITableView> makeTableView(const std::shared_ptr<UITableViewDataSource>& dataSource,
                                           const std::shared_ptr<UITableViewDelegate>& delegate) {
    auto table = makeMyListTable(delegate, dataSource);
    table->setContentInset(UIEdgeInsets{});
    table->setScrollIndicatorInsets(UIEdgeInsets{});
    table->registerClass<KKcombcripple>(classNameOf<KKcombcripple>());
    return table;
}

std::shared_ptr<QMUILabel> makeStorageLabel() {
    auto storage = std::make_shared<QMUILabel>();
    storage->setAccessibilityIdentifier("downloads.storage");
    storage->setNumberOfLines(2);
    storage->setText(DownloadStorage::storageText());
    storage->setTextAlignment(NSTextAlignment::center);
    storage->setTextColor(hexColor("BEBDC2"));
    storage->setFont(UIFont::systemFontOfSize(15));
    return storage;
}

void install(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& bar,
             const std::shared_ptr<QMUIButton>& back, const std::shared_ptr<QMUILabel>& title,
             const std::shared_ptr<UITableView>& table, const std::shared_ptr<QMUILabel>& storage) {
    view->addSubview(table);
    view->addSubview(bar);
    view->addSubview(storage);
    bar->addSubview(back);
    bar->addSubview(title);
    bar->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });
    back->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview();
        make.width.height().equalTo(44);
    });
    title->snp.makeConstraints([&back](ConstraintMaker& make) {
        make.centerX.equalToSuperview();
        make.centerY.equalTo(back);
    });
    storage->snp.makeConstraints([&view](ConstraintMaker& make) {
        make.bottom.equalTo(view->safeAreaLayoutGuide()->snp.bottom).offset(-20);
        make.centerX.equalToSuperview();
    });
    table->snp.makeConstraints([&bar, &storage](ConstraintMaker& make) {
        make.top.equalTo(bar->snp.bottom);
        make.bottom.equalTo(storage->snp.top);
        make.left.right().equalToSuperview();
    });
}

} // namespace DownloadPageLayout
