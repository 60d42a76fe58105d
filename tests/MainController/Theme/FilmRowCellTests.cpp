#include "MainController/Theme/Cell/KKditchgaze.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controls/UITableView.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"
#include "tests/support/ui/ViewPicture.h"

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

// Drawn as the screen shows it, a row that has not been filled yet shows the placeholder
// poster and its three placeholder texts, each in its own grey, above a light separator.
TEST_F(FilmRowCell, AFreshRowShowsItsPlaceholdersInTheirLook) {
    rows->films = {{}};
    rows->fill = false;
    auto cell = showRow(0);
    ASSERT_NE(cell, nullptr);
    testsupport::ui::UIDriver driver(window);
    for (const std::string text : {"名字", "类型", "简介"}) {
        const auto view = driver.findByText(text);
        ASSERT_NE(view, nullptr) << text;
        EXPECT_TRUE(CGRectContainsRect(driver.frameInWindow(cell), driver.frameInWindow(view))) << text;
    }
    const testsupport::ui::ViewPicture drawing(*cell);
    const CGRect poster = cell->kkdrainexempt()->frame();
    const Pixel ground = drawing.at(poster.minX() + 4, poster.minY() + 4);
    const Pixel mark = drawing.at(poster.midX(), poster.midY());
    EXPECT_NEAR(ground.r, 0x2F, 3);
    EXPECT_NEAR(ground.b, 0x35, 3);
    EXPECT_NEAR(mark.r, 0x47, 3);
    EXPECT_NEAR(mark.b, 0x4F, 3);
    // Each text's fully covered pixels carry its colour: the name darkest, the class a
    // middle grey, the introduction a light grey.
    const Pixel name = drawing.darkest(cell->name()->frame());
    const Pixel classType = drawing.darkest(cell->classType()->frame());
    const Pixel desc = drawing.darkest(cell->desc()->frame());
    EXPECT_NEAR(name.r, 0x28, 12);
    EXPECT_NEAR(name.b, 0x2C, 12);
    EXPECT_NEAR(classType.g, 0x66, 12);
    EXPECT_NEAR(desc.g, 0x99, 12);
    const CGRect line = cell->kkdecoratevirtue()->frame();
    const Pixel separator = drawing.at(line.midX(), line.minY());
    EXPECT_NEAR(separator.g, 0xED, 3);
    EXPECT_EQ(drawing.at(line.midX(), line.minY() - 2).g, 255) << "the separator is one line";
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
