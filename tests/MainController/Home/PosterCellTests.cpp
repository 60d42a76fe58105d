#include "MainController/Home/Cell/KKassumefinance.h"
#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "MainController/Home/Cell/PosterImage.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Models/KKfinancerub.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

JSON film(int index, const std::string& picture) {
    return JSON::parse(R"({"vod_id":")" + std::to_string(index) + R"(","vod_name":"影片)" +
                       std::to_string(index) + R"(","vod_pic":")" + picture + R"("})");
}

// A grid of poster cells as their owners fill them: one film per item.
template <class Cell> class Films : public UICollectionViewDataSource {
  public:
    long numberOfItemsInSection(UICollectionView&, long) override { return static_cast<long>(films.size()); }
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& view,
                                                        const NSIndexPath& path) override {
        auto cell = dequeueReusableCell<Cell>(view, path);
        cell->configure(KKfinancerub(films[static_cast<std::size_t>(path.item)]));
        return cell;
    }
    std::vector<JSON> films;
};

class PosterCells : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        window->makeKeyAndVisible();
    }

    template <class Cell>
    std::shared_ptr<UICollectionView> makeGrid(const std::shared_ptr<Films<Cell>>& films, CGSize itemSize) {
        auto layout = std::make_shared<UICollectionViewFlowLayout>();
        layout->setItemSize(itemSize);
        layout->setMinimumLineSpacing(10);
        auto grid = std::make_shared<UICollectionView>(window->bounds(), layout);
        grid->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        grid->template registerClass<Cell>(classNameOf<Cell>());
        grid->setDataSource(films);
        window->addSubview(grid);
        window->layoutIfNeeded();
        return grid;
    }

    std::shared_ptr<UIWindow> window;
};

TEST_F(PosterCells, GridPosterTakesTheCellLessTheNameBandAndShowsTheName) {
    auto films = std::make_shared<Films<KKcreatesymphony>>();
    films->films = {film(1, ""), film(2, "not an address")};
    const double width = 110;
    auto grid = makeGrid(films, {width, width * 16 / 9});
    auto cell = std::dynamic_pointer_cast<KKcreatesymphony>(grid->cellForItemAtIndexPath({0, 0}));
    ASSERT_TRUE(cell);
    const CGRect poster = cell->kkdrainexempt()->frame();
    EXPECT_DOUBLE_EQ(poster.origin.y, 0);
    EXPECT_DOUBLE_EQ(poster.size.width, width);
    EXPECT_NEAR(poster.size.height, cell->bounds().size.height - 28, 0.5) << "frames snap to device pixels";
    const CGRect name = cell->name()->frame();
    EXPECT_NEAR(name.origin.y, poster.size.height + 8, 0.5);
    EXPECT_DOUBLE_EQ(name.size.width, width);
    EXPECT_EQ(cell->name()->text(), "影片1");
    EXPECT_EQ(cell->kkdrainexempt()->image(), placeholderImage()) << "no address: the placeholder stays";
}

TEST_F(PosterCells, StripPosterHasAFixedSizeAndAnInsetName) {
    auto films = std::make_shared<Films<KKassumefinance>>();
    films->films = {film(7, "")};
    auto grid = makeGrid(films, {102, 170});
    auto cell = std::dynamic_pointer_cast<KKassumefinance>(grid->cellForItemAtIndexPath({0, 0}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->kkdrainexempt()->frame(), CGRectMake(0, 0, 102, 132));
    EXPECT_EQ(cell->name()->frame().origin, (CGPoint{8, 140}));
    EXPECT_DOUBLE_EQ(cell->name()->frame().size.width, 102 - 16);
    EXPECT_EQ(cell->name()->text(), "影片7");
}

TEST_F(PosterCells, AReusedCellNeverShowsThePosterOfItsPreviousFilm) {
    auto films = std::make_shared<Films<KKcreatesymphony>>();
    for (int i = 0; i < 200; ++i) {
        films->films.push_back(film(i, i == 0 ? "https://127.0.0.1:9/poster/0.jpg" : "broken address"));
    }
    auto grid = makeGrid(films, {110, 110 * 16 / 9.0});
    auto first = std::dynamic_pointer_cast<KKcreatesymphony>(grid->cellForItemAtIndexPath({0, 0}));
    ASSERT_TRUE(first);
    // The first film's poster arrived.
    const auto shown = UIImage::imageNamed("empty");
    ASSERT_TRUE(shown);
    first->kkdrainexempt()->setImage(shown);

    grid->setContentOffset({0, 3000});
    window->layoutIfNeeded();
    bool reused = false;
    for (const auto& path : grid->indexPathsForVisibleItems()) {
        if (grid->cellForItemAtIndexPath(path) == first) {
            reused = true;
            EXPECT_EQ(first->name()->text(), "影片" + std::to_string(path.item));
        }
    }
    ASSERT_TRUE(reused) << "the first cell shows a film further down";
    EXPECT_EQ(first->kkdrainexempt()->image(), placeholderImage());
}

TEST(PosterAddresses, OnlyHttpAndHttpsAddressesWithAHostCount) {
    EXPECT_TRUE(isWebAddress("https://img.example.com/p/1.jpg"));
    EXPECT_TRUE(isWebAddress("HTTP://127.0.0.1:8080/x.png"));
    EXPECT_TRUE(isWebAddress("https://user@host/x"));
    EXPECT_FALSE(isWebAddress(""));
    EXPECT_FALSE(isWebAddress("https://"));
    EXPECT_FALSE(isWebAddress("https://:80/x"));
    EXPECT_FALSE(isWebAddress("https:///x"));
    EXPECT_FALSE(isWebAddress("ftp://host/x"));
    EXPECT_FALSE(isWebAddress("javascript:alert(1)"));
    EXPECT_FALSE(isWebAddress("file:///etc/passwd"));
    EXPECT_FALSE(isWebAddress("https://host/a b"));
    EXPECT_FALSE(isWebAddress("/relative/poster.jpg"));
}

} // namespace
