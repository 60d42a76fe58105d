#pragma once

#include "platform/UIKit/Controls/UICollectionViewCell.h"
#include "platform/UIKit/Controls/UITableViewCell.h"

#include <string>

// The bases of every table cell, collection cell and reusable header or footer: cells
// have a clear background, and table cells show no selection.
class BaseTableViewCell : public UITableViewCell {
  public:
    explicit BaseTableViewCell(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                               const std::string& reuseIdentifier = {});
};

class BaseCollectionViewCell : public UICollectionViewCell {
  public:
    explicit BaseCollectionViewCell(const CGRect& frame = CGRectZero);
};

// The empty section header and footer of the collection grids.
class BaseCollectionReusableView : public UICollectionReusableView {
  public:
    using UICollectionReusableView::UICollectionReusableView;
};
