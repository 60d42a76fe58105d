#include "app/Base/BaseCells.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "platform/UIKit/Controls/UITableViewCell.h"

#include <gtest/gtest.h>

class KKsampleRow : public BaseTableViewCell {
  public:
    using BaseTableViewCell::BaseTableViewCell;
};
class KKsampleTile : public BaseCollectionViewCell {};
class KKotherTile : public BaseCollectionViewCell {};

namespace {

TEST(ListExtensions, ClassesGoByTheirPlainNames) {
    EXPECT_EQ(classNameOf<KKsampleRow>(), "KKsampleRow");
    EXPECT_EQ(classNameOf<BaseCollectionReusableView>(), "BaseCollectionReusableView");
}

TEST(ListExtensions, TableCellsRegisteredUnderTheirNameDequeueTyped) {
    auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 480));
    table->registerClass<KKsampleRow>(classNameOf<KKsampleRow>());
    const auto cell = dequeueReusableCell<KKsampleRow>(*table, NSIndexPath::indexPathForRow(0, 0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->backgroundColor(), UIColor::clearColor());
    EXPECT_EQ(cell->selectionStyle(), UITableViewCellSelectionStyle::none);
}

TEST(ListExtensions, CollectionCellsAndSupplementaryViewsDequeueTyped) {
    auto grid = std::make_shared<UICollectionView>(CGRectMake(0, 0, 320, 480),
                                                   std::make_shared<UICollectionViewFlowLayout>());
    grid->registerClass<KKsampleTile>(classNameOf<KKsampleTile>());
    grid->registerClassForSupplementaryViewOfKind<BaseCollectionReusableView>(
        UICollectionElementKindSectionHeader, classNameOf<BaseCollectionReusableView>());
    const auto tile = dequeueReusableCell<KKsampleTile>(*grid, NSIndexPath::indexPathForItem(0, 0));
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->backgroundColor(), UIColor::clearColor());
    EXPECT_NE(dequeueReusableSupplementaryView<BaseCollectionReusableView>(
                  *grid, UICollectionElementKindSectionHeader, NSIndexPath::indexPathForItem(0, 0)),
              nullptr);
}

TEST(ListExtensionsDeathTest, UnregisteredOrMisregisteredClassesStopTheProcess) {
    auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 480));
    EXPECT_DEATH(
        dequeueReusableCell<KKsampleRow>(*table, NSIndexPath::indexPathForRow(0, 0)),
        "Couldn't find UITableViewCell for KKsampleRow, make sure the cell is registered with table view");
    auto grid = std::make_shared<UICollectionView>(CGRectMake(0, 0, 320, 480),
                                                   std::make_shared<UICollectionViewFlowLayout>());
    grid->registerClass<KKotherTile>(classNameOf<KKsampleTile>());
    EXPECT_DEATH(dequeueReusableCell<KKsampleTile>(*grid, NSIndexPath::indexPathForItem(0, 0)),
                 "Couldn't find UICollectionViewCell for KKsampleTile, make sure the cell is registered with "
                 "collection view");
    EXPECT_DEATH(
        dequeueReusableSupplementaryView<BaseCollectionReusableView>(
            *grid, UICollectionElementKindSectionHeader, NSIndexPath::indexPathForItem(0, 0)),
        "Couldn't find UICollectionReusableView for BaseCollectionReusableView, make sure the view is "
        "registered with collection view");
}

} // namespace
