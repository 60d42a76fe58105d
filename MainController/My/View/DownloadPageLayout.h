#pragma once

#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>

class UIViewController;

// The frame both download pages share: their own dark bar with a back button and the
// title "下载", a table of download cells and a two-line storage line at the bottom.
namespace DownloadPageLayout {

std::shared_ptr<UIView> makeBar();
// Pops `page` from its navigation controller when tapped.
std::shared_ptr<QMUIButton> makeBackButton(const std::weak_ptr<UIViewController>& page);
std::shared_ptr<QMUILabel> makeTitleLabel();
std::shared_ptr<UITableView> makeTableView(const std::shared_ptr<UITableViewDataSource>& dataSource,
                                           const std::shared_ptr<UITableViewDelegate>& delegate);
std::shared_ptr<QMUILabel> makeStorageLabel();
// Adds the views to `view` (table, bar, storage line; back button and title in the bar)
// and constrains them.
void install(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& bar,
             const std::shared_ptr<QMUIButton>& back, const std::shared_ptr<QMUILabel>& title,
             const std::shared_ptr<UITableView>& table, const std::shared_ptr<QMUILabel>& storage);

} // namespace DownloadPageLayout
