#include "MainController/My/View/MyListTable.h"

#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::shared_ptr<UITableView> makeMyListTable(const std::shared_ptr<UITableViewDelegate>& delegate,
                                             const std::shared_ptr<UITableViewDataSource>& dataSource) {
    auto table = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
    table->setDelegate(delegate);
    table->setDataSource(dataSource);
    table->setEstimatedRowHeight(0);
    table->setEstimatedSectionHeaderHeight(0);
    table->setEstimatedSectionFooterHeight(0);
    table->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
    table->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
    table->setBackgroundColor(hexColor("28272C"));
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    return table;
}

void pinBelowSafeArea(const std::shared_ptr<UITableView>& table, const std::shared_ptr<UIView>& pageView) {
    table->snp.makeConstraints([&pageView](ConstraintMaker& make) {
        make.top.equalTo(pageView->safeAreaLayoutGuide()->snp.top);
        make.left.right().bottom().equalToSuperview();
    });
}
