#include "MainController/Search/Cell/KKappealsubsequent.h"
#include "MainController/Search/View/KKsubsequentbasically.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controls/UIButton.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <gtest/gtest.h>

// A list cell that adds a button at the right end, as the history and favourite cells do.
class KKsampleRecordCell : public KKappealsubsequent {
  public:
    using KKappealsubsequent::KKappealsubsequent;
    std::shared_ptr<UIButton> button = std::make_shared<UIButton>();
    int setupRuns = 0;

  protected:
    void setupUI() override {
        KKappealsubsequent::setupUI();
        ++setupRuns;
        contentView()->addSubview(button);
        button->snp.makeConstraints([](ConstraintMaker& make) {
            make.right.equalToSuperview().inset(10);
            make.centerY.equalToSuperview();
            make.width.height().equalTo(35);
        });
        name()->snp.updateConstraints([](ConstraintMaker& make) { make.right.equalToSuperview().inset(55); });
    }
};

namespace {

TEST(SearchRowView, AFreshLineShowsARedOneAndAGreyTitleBesideAnEighteenPointSquare) {
    // Placed as the search page places it: filling a line 180 wide, 18 high.
    auto line = std::make_shared<UIView>(CGRectMake(0, 0, 180, 18));
    auto row = std::make_shared<KKsubsequentbasically>();
    line->addSubview(row);
    row->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    line->layoutIfNeeded();
    ASSERT_EQ(row->subviews().size(), 2u);
    EXPECT_EQ(row->subviews()[0], row->kkinsteadaccident());
    EXPECT_EQ(row->subviews()[1], row->title());
    EXPECT_EQ(row->kkinsteadaccident()->text(), "1");
    EXPECT_EQ(row->kkinsteadaccident()->backgroundColor(), hexColor("D73F3F"));
    EXPECT_EQ(row->kkinsteadaccident()->textAlignment(), NSTextAlignment::center);
    EXPECT_EQ(row->title()->text(), "标题");
    EXPECT_EQ(row->title()->textColor(), hexColor("BEBDC2"));
    EXPECT_EQ(row->kkinsteadaccident()->frame(), CGRectMake(0, 0, 18, 18));

    // The badge keeps its square whatever its text; the title ends 10 short of the line and
    // is cut there, however long.
    row->kkinsteadaccident()->setText("128");
    row->title()->setText(std::string(60, 'W') + "一部名字很长很长很长很长的电影");
    line->layoutIfNeeded();
    EXPECT_EQ(row->kkinsteadaccident()->frame(), CGRectMake(0, 0, 18, 18));
    const CGRect title = row->title()->frame();
    EXPECT_DOUBLE_EQ(title.origin.x, 25);
    EXPECT_DOUBLE_EQ(title.origin.x + title.size.width, 170);
    EXPECT_NEAR(title.origin.y + title.size.height / 2, 9, 0.5); // frames snap to device pixels
}

TEST(SearchRowView, ViewsAreMadeOnceWhateverIsAskedFirst) {
    auto row = std::make_shared<KKsubsequentbasically>();
    const auto badge = row->kkinsteadaccident();
    EXPECT_EQ(row->kkinsteadaccident(), badge);
    ASSERT_EQ(row->subviews().size(), 2u);
    auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 18));
    parent->addSubview(row);
    row->layoutIfNeeded();
    EXPECT_EQ(row->subviews().size(), 2u);
}

TEST(SearchListCell, AFreshCellShowsPlaceholdersInAPictureAndTextColumn) {
    auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 390, 600));
    table->registerClass<KKappealsubsequent>(classNameOf<KKappealsubsequent>());
    const auto cell = dequeueReusableCell<KKappealsubsequent>(*table, NSIndexPath::indexPathForRow(0, 0));
    ASSERT_NE(cell, nullptr);
    cell->setFrame(CGRectMake(0, 0, 390, 80));
    cell->layoutIfNeeded();

    const auto& content = cell->contentView()->subviews();
    ASSERT_EQ(content.size(), 3u);
    EXPECT_EQ(content[0], cell->kkdrainexempt());
    EXPECT_EQ(content[1], cell->name());
    EXPECT_EQ(content[2], cell->classType());
    EXPECT_EQ(cell->kkdrainexempt()->image(), placeholderImage());
    EXPECT_EQ(cell->kkdrainexempt()->contentMode(), UIViewContentMode::scaleAspectFill);
    EXPECT_EQ(cell->name()->text(), "名字");
    EXPECT_EQ(cell->name()->textColor(), UIColor::whiteColor());
    EXPECT_EQ(cell->classType()->text(), "类型");
    EXPECT_EQ(cell->classType()->textColor(), hexColor("BEBDC2"));

    EXPECT_EQ(cell->kkdrainexempt()->frame(), CGRectMake(15, 13, 96, 54));
    const CGRect name = cell->name()->frame();
    EXPECT_DOUBLE_EQ(name.origin.x, 120);
    EXPECT_DOUBLE_EQ(name.origin.y, 18);
    EXPECT_DOUBLE_EQ(name.origin.x + name.size.width, 380);
    const CGRect line = cell->classType()->frame();
    EXPECT_DOUBLE_EQ(line.origin.x, 120);
    EXPECT_DOUBLE_EQ(line.origin.y, name.origin.y + name.size.height + 4);
    EXPECT_DOUBLE_EQ(line.size.width, name.size.width);
}

TEST(SearchListCell, ASubclassAddsItsButtonOnceAndNarrowsTheTextColumn) {
    auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 390, 600));
    table->registerClass<KKsampleRecordCell>(classNameOf<KKsampleRecordCell>());
    const auto cell = dequeueReusableCell<KKsampleRecordCell>(*table, NSIndexPath::indexPathForRow(0, 0));
    ASSERT_NE(cell, nullptr);
    cell->name()->setText("一部名字非常非常非常非常非常非常非常非常长的电影");
    cell->classType()->setText("2024/大陆/剧情");
    cell->setFrame(CGRectMake(0, 0, 390, 80));
    cell->layoutIfNeeded();
    cell->layoutIfNeeded();

    EXPECT_EQ(cell->setupRuns, 1);
    const auto& content = cell->contentView()->subviews();
    ASSERT_EQ(content.size(), 4u);
    EXPECT_EQ(content[3], cell->button);
    const CGRect name = cell->name()->frame();
    EXPECT_DOUBLE_EQ(name.origin.x + name.size.width, 335);
    EXPECT_DOUBLE_EQ(cell->classType()->frame().size.width, name.size.width);
    EXPECT_EQ(cell->button->frame(), CGRectMake(345, 22.5, 35, 35));
}

} // namespace
