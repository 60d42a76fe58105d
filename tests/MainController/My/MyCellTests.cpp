#include "MainController/My/Cell/KKacrecomment.h"
#include "MainController/My/Cell/KKconscientiousacre.h"
#include "MainController/My/Cell/KKcrippleconscientious.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class MyCells : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        window->makeKeyAndVisible();
    }

    // Puts the cell in the window at `width` x `height` and lays it out.
    void place(const std::shared_ptr<UITableViewCell>& cell, CGFloat width, CGFloat height) {
        window->addSubview(cell);
        cell->setFrame(CGRectMake(0, 0, width, height));
        cell->layoutIfNeeded();
    }

    std::shared_ptr<UIWindow> window;
};

} // namespace

TEST_F(MyCells, AFreshNoticeCardIsAnEmptyCardUnderAnEmptyTimeLine) {
    auto cell = std::make_shared<KKacrecomment>();
    place(cell, 390, 160);
    EXPECT_EQ(cell->card()->frame().size.height, 100);
    EXPECT_EQ(cell->card()->frame().minY(), cell->timeLabel()->frame().maxY() + 15);
    EXPECT_EQ(cell->card()->frame().size.width, 390 - 30);
    EXPECT_TRUE(cell->card()->clipsToBounds());
    EXPECT_TRUE(cell->titleLabel()->canPerformCopyAction());
    EXPECT_TRUE(cell->textLabel()->canPerformCopyAction());
    EXPECT_FALSE(cell->timeLabel()->canPerformCopyAction());
}

TEST_F(MyCells, ANoticesTextWrapsAcrossTheCardAndTheCardTakesTheGivenHeight) {
    const std::string intro(600, 'w');
    const CGFloat text = KKacrecomment::textHeight(intro, 390 - 52);
    EXPECT_GT(text, 50);
    EXPECT_EQ(KKacrecomment::textHeight("", 338), 0);
    auto cell = std::make_shared<KKacrecomment>();
    cell->configure("2024-01-01", "标题", intro, KKacrecomment::cardHeight(text));
    place(cell, 390, KKacrecomment::rowHeight(text));
    EXPECT_EQ(cell->card()->frame().size.height, text + 60);
    EXPECT_EQ(cell->textLabel()->frame().size.width, 390 - 52);
    EXPECT_NEAR(cell->textLabel()->frame().size.height, text, 1);
    EXPECT_LE(cell->card()->frame().maxY(), KKacrecomment::rowHeight(text));

    // A shorter card given later clips the text inside it.
    cell->configure("2024-01-01", "标题", intro, 80);
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->card()->frame().size.height, 80);
    EXPECT_GT(cell->textLabel()->frame().maxY(), cell->card()->bounds().maxY());
}

TEST_F(MyCells, RecordCellsPutTheirButtonAtTheRightAndEndTheNameBeforeIt) {
    std::vector<std::pair<std::shared_ptr<KKappealsubsequent>, std::shared_ptr<QMUIButton>>> cells;
    auto history = std::make_shared<KKconscientiousacre>();
    cells.emplace_back(history, history->delBtn());
    auto favourite = std::make_shared<KKcrippleconscientious>();
    cells.emplace_back(favourite, favourite->kkpettyverdict());
    for (const auto& [cell, button] : cells) {
        place(cell, 390, 64);
        EXPECT_EQ(button->superview(), cell->contentView());
        EXPECT_EQ(button->frame(), CGRectMake(390 - 10 - 44, 10, 44, 44));
        EXPECT_EQ(cell->name()->frame().maxX(), 390 - 55);
        EXPECT_EQ(cell->classType()->frame().size.width, cell->name()->frame().size.width);
        EXPECT_EQ(cell->name()->text(), "名字");
        // Built once: asking again adds nothing.
        const auto count = cell->contentView()->subviews().size();
        cell->setNeedsLayout();
        cell->layoutIfNeeded();
        EXPECT_EQ(cell->contentView()->subviews().size(), count);
        EXPECT_EQ(count, 4u);
    }
    favourite->kkpettyverdict()->setSelected(true);
    EXPECT_EQ(favourite->kkpettyverdict()->currentImage(), UIImage::imageNamed("collect_select"));
}
