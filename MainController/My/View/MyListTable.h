#pragma once

#include "platform/UIKit/Controls/UITableView.h"

#include <memory>

// The table of the My pages' lists: plain, on the dark panel colour, no separators, no
// estimated heights, no automatic insets, the keyboard dismissed on drag; the page is its
// delegate and data source.
std::shared_ptr<UITableView> makeMyListTable(const std::shared_ptr<UITableViewDelegate>& delegate,
                                             const std::shared_ptr<UITableViewDataSource>& dataSource);

// Pins a page's table below the top of the page's safe area and to its other edges.
void pinBelowSafeArea(const std::shared_ptr<UITableView>& table, const std::shared_ptr<UIView>& pageView);
