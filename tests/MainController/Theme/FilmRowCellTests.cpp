#include "MainController/Theme/Cell/KKditchgaze.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controls/UITableView.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Film {
    std::string name;
    std::string classType;
    std::string desc;
};

// Film rows as the topic and search pages fill them: registered under the class name,
// dequeued through the list helper, 160 points high.
class FilmRows : public UITableViewDataSource, public UITableViewDelegate {
  public:
    long numberOfRowsInSection(UITableView&, long) override { return static_cast<long>(films.size()); }
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& table, const NSIndexPath& path) override {
        auto cell = dequeueReusableCell<KKditchgaze>(table, path);
        if (fill) {
            const Film& film = films[path.item];
            cell->name()->setText(film.name);
            cell->classType()->setText(film.classType);
            cell->desc()->setText(film.desc);
        }
        return cell;
    }
    std::optional<CGFloat> heightForRowAt(UITableView&, const NSIndexPath&) override { return 160; }

    std::vector<Film> films;
    bool fill = true;
};

class FilmRowCell : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        table = std::make_shared<UITableView>(CGRectMake(0, 0, 390, 844));
        table->registerClass<KKditchgaze>(classNameOf<KKditchgaze>());
        table->setDataSource(rows);
        table->setDelegate(rows);
        window->addSubview(table);
        window->makeKeyAndVisible();
    }

    std::shared_ptr<KKditchgaze> showRow(long row) {
        table->reloadData();
        window->layoutIfNeeded();
        RunLoop::main().advance(0.05);
        auto cell = std::dynamic_pointer_cast<KKditchgaze>(
            table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0)));
        EXPECT_NE(cell, nullptr);
        if (cell) {
            cell->layoutIfNeeded();
        }
        return cell;
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UITableView> table;
    std::shared_ptr<FilmRows> rows = std::make_shared<FilmRows>();
};

TEST_F(FilmRowCell, AFreshRowShowsItsPlaceholdersInTheirLook) {
    rows->films = {{}};
    rows->fill = false;
    auto cell = showRow(0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->name()->text(), "名字");
    EXPECT_EQ(cell->classType()->text(), "类型");
    EXPECT_EQ(cell->desc()->text(), "简介");
    EXPECT_EQ(cell->kkdrainexempt()->image(), placeholderImage());
    EXPECT_EQ(cell->kkdrainexempt()->contentMode(), UIViewContentMode::scaleAspectFill);
    EXPECT_TRUE(cell->kkdrainexempt()->clipsToBounds());
    EXPECT_EQ(cell->name()->textColor(), hexColor("28272C"));
    EXPECT_EQ(cell->classType()->textColor(), hexColor("666666"));
    EXPECT_EQ(cell->desc()->textColor(), hexColor("999999"));
    EXPECT_EQ(cell->kkdecoratevirtue()->backgroundColor(), hexColor("EDEDED"));
    // The five views sit in the content view in this order, nothing else beside them.
    const auto& subviews = cell->contentView()->subviews();
    ASSERT_EQ(subviews.size(), 5u);
    EXPECT_EQ(subviews[0], cell->kkdrainexempt());
    EXPECT_EQ(subviews[1], cell->name());
    EXPECT_EQ(subviews[2], cell->classType());
    EXPECT_EQ(subviews[3], cell->desc());
    EXPECT_EQ(subviews[4], cell->kkdecoratevirtue());
}

TEST_F(FilmRowCell, TextsShareTheNameColumnBesideThePosterAndTheSeparatorLiesUnderIt) {
    rows->films = {{"霸王别姬", "剧情", "一段短的简介"}};
    auto cell = showRow(0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->frame().size.height, 160);
    EXPECT_EQ(cell->kkdrainexempt()->frame(), CGRectMake(15, 0, 102, 132));
    const CGRect name = cell->name()->frame();
    EXPECT_EQ(name.origin.x, 127);
    EXPECT_EQ(name.origin.y, 15);
    EXPECT_EQ(CGRectGetMaxX(name), 390 - 15);
    for (const auto& label : {cell->classType(), cell->desc()}) {
        EXPECT_EQ(label->frame().origin.x, name.origin.x);
        EXPECT_EQ(label->frame().size.width, name.size.width);
    }
    EXPECT_EQ(cell->classType()->frame().origin.y, CGRectGetMaxY(name) + 10);
    EXPECT_EQ(cell->desc()->frame().origin.y, CGRectGetMaxY(cell->classType()->frame()) + 10);
    EXPECT_EQ(cell->kkdecoratevirtue()->frame(), CGRectMake(15, 147, 360, 0.5));
    // A class line longer than the column keeps the column's width instead of pushing out.
    rows->films = {{"名", std::string(200, 'x'), ""}};
    cell = showRow(0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->classType()->frame().size.width, cell->name()->frame().size.width);
}

TEST_F(FilmRowCell, ALongDescriptionStopsAtTheEndOfItsSecondLine) {
    std::string longText;
    for (int i = 0; i < 20; ++i) {
        longText += "一位京剧名伶与他的师兄半个世纪的悲欢离合。";
    }
    rows->films = {{"霸王别姬", "剧情", "一行"}, {"霸王别姬", "剧情", longText}};
    auto shortRow = showRow(0);
    ASSERT_NE(shortRow, nullptr);
    const CGFloat oneLine = shortRow->desc()->frame().size.height;
    auto longRow = showRow(1);
    ASSERT_NE(longRow, nullptr);
    const CGFloat twoLines = longRow->desc()->frame().size.height;
    const CGFloat width = longRow->desc()->frame().size.width;
    const CGFloat unlimited =
        longRow->desc()->textRectForBounds(CGRectMake(0, 0, width, 10000), 0).size.height;
    EXPECT_GT(twoLines, oneLine * 1.5);
    EXPECT_LT(twoLines, oneLine * 2.5);
    EXPECT_GT(unlimited, twoLines * 2);
    // The truncated text still ends inside the row, above the separator.
    EXPECT_LE(CGRectGetMaxY(longRow->desc()->frame()), longRow->kkdecoratevirtue()->frame().origin.y);
}

} // namespace
