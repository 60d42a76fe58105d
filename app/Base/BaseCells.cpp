#include "app/Base/BaseCells.h"

BaseTableViewCell::BaseTableViewCell(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : UITableViewCell(style, reuseIdentifier) {
    setBackgroundColor(UIColor::clearColor());
    setSelectionStyle(UITableViewCellSelectionStyle::none);
}

BaseCollectionViewCell::BaseCollectionViewCell(const CGRect& frame) : UICollectionViewCell(frame) {
    setBackgroundColor(UIColor::clearColor());
}
