#include "platform/QMUIKit/Controllers/QMUICommonViewController.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/QMUIKit/Controllers/QMUIModalPresentationViewController.h"
#include "platform/QMUIKit/Controllers/QMUINavigationController.h"
#include "platform/QMUIKit/Controllers/QMUIToastView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

class Page : public QMUICommonViewController {
  public:
    explicit Page(bool hidesBar = false) : hidesBar_(hidesBar) {}
    bool preferredNavigationBarHidden() const override { return hidesBar_; }

  private:
    bool hidesBar_;
};

// A bottom sheet as the player page's pop-ups make it: a white content view with its
// top corners rounded, full width, a fixed height on the bottom edge, sliding in.
class BottomSheet : public QMUIModalPresentationViewController {
  public:
    static constexpr CGFloat kHeight = 400;

    void viewDidLoad() override {
        QMUIModalPresentationViewController::viewDidLoad();
        setAnimationStyle(QMUIModalPresentationAnimationStyle::slide);
        auto sheet = std::make_shared<UIView>();
        sheet->setBackgroundColor(UIColor::whiteColor());
        sheet->layer()->setCornerRadius(10);
        sheet->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
        sheet->setClipsToBounds(true);
        setContentView(sheet);
        std::weak_ptr<BottomSheet> weakSelf = std::static_pointer_cast<BottomSheet>(sharedController());
        setLayoutBlock([weakSelf](CGRect bounds, CGFloat, CGRect) {
            if (auto self = weakSelf.lock()) {
                self->contentView()->setFrame({{0, bounds.height() - kHeight}, {bounds.width(), kHeight}});
            }
        });
    }
};

class QMUIControllers : public ScreenTest {
  protected:
    void TearDown() override {
        QMUITips::hideAllTips();
        ScreenTest::TearDown();
    }

    std::vector<std::shared_ptr<QMUIToastView>> toasts(const std::shared_ptr<UIView>& in) const {
        std::vector<std::shared_ptr<QMUIToastView>> found;
        for (const auto& subview : in->subviews()) {
            if (auto toast = std::dynamic_pointer_cast<QMUIToastView>(subview)) {
                found.push_back(toast);
            }
        }
        return found;
    }
};

} // namespace

TEST_F(QMUIControllers, TheNavigationBarHidesForThePagesThatPreferIt) {
    auto root = std::make_shared<Page>();
    auto navigation = std::make_shared<QMUINavigationController>(root);
    window->setRootViewController(navigation);
    settle();
    const auto& bar = navigation->navigationBar();
    EXPECT_FALSE(bar->isHidden());

    auto player = std::make_shared<Page>(true);
    navigation->pushViewController(player, true);
    EXPECT_FALSE(bar->isHidden()) << "the bar leaves with the page that has it";
    settle();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(player->view()->frame().minY(), 0);

    navigation->popViewControllerAnimated(true);
    EXPECT_FALSE(bar->isHidden()) << "it comes back with the page beneath";
    settle();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->transform(), CGAffineTransformIdentity);
}

TEST_F(QMUIControllers, TheEmptyViewShowsImageAndTextOverThePageAndHides) {
    auto page = std::make_shared<Page>();
    EXPECT_EQ(page->emptyView(), nullptr) << "none before the view is loaded";
    window->setRootViewController(page);
    const auto& empty = page->emptyView();
    ASSERT_NE(empty, nullptr);
    empty->setTextLabelText("暂无数据");
    empty->setLoadingViewHidden(true);
    empty->setImage(UIImage::qmui_imageWithColor(UIColor::grayColor()));
    empty->setVerticalOffset(60);

    page->showEmptyView();
    settle();
    EXPECT_TRUE(page->isEmptyViewShowing());
    EXPECT_EQ(empty->frame(), page->view()->bounds());
    auto text = find("暂无数据");
    ASSERT_NE(text, nullptr);
    EXPECT_LT(empty->imageView()->frame().maxY(), text->frame().minY()) << "the image above the text";
    const CGFloat middle = (empty->imageView()->frame().minY() + text->frame().maxY()) / 2;
    EXPECT_NEAR(middle, empty->bounds().midY() + 60, 1) << "centred, then moved down by the offset";

    page->hideEmptyView();
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_EQ(find("暂无数据"), nullptr);
}

TEST_F(QMUIControllers, TipsHideByThemselvesAfterTheirDelay) {
    auto page = std::make_shared<Page>();
    window->setRootViewController(page);
    settle();
    QMUITips::showSucceed("反馈成功~");
    QMUITips::showLoadingInView(page->view());
    settle(0.5);
    EXPECT_NE(find("反馈成功~"), nullptr) << "in the window";
    EXPECT_EQ(toasts(page->view()).size(), 1u) << "the loading tip in the page";
    EXPECT_EQ(toasts(window).size(), 1u);

    settle(QMUITips::hideDelayForText("反馈成功~") + QMUIToastView::kFadeDuration);
    EXPECT_EQ(find("反馈成功~"), nullptr) << "the text tip went by itself";
    EXPECT_EQ(toasts(page->view()).size(), 1u) << "the loading tip stays";
}

TEST_F(QMUIControllers, HideAllTipsReachesEveryTip) {
    auto page = std::make_shared<Page>();
    window->setRootViewController(page);
    settle();
    QMUITips::showLoadingInView(page->view());
    QMUITips::showError("网络错误", page->view());
    QMUITips::showWithText("稍等");
    settle(0.5);
    EXPECT_EQ(toasts(page->view()).size(), 2u);
    EXPECT_EQ(toasts(window).size(), 1u);

    QMUITips::hideAllTips();
    settle(QMUIToastView::kFadeDuration + 0.1);
    EXPECT_TRUE(toasts(page->view()).empty());
    EXPECT_TRUE(toasts(window).empty());
}

TEST_F(QMUIControllers, ATipFadingOutDiesWithItsPageWhenTheFadeNeverEnds) {
    auto page = std::make_shared<Page>();
    window->setRootViewController(page);
    settle();
    QMUITips::showLoadingInView(page->view());
    settle(0.5);
    ASSERT_EQ(toasts(page->view()).size(), 1u);
    const std::weak_ptr<QMUIToastView> toast = toasts(page->view()).front();
    QMUITips::hideAllTips();
    // The page goes before the fade ends (the clock stands still).
    window->setRootViewController(nullptr);
    page.reset();
    EXPECT_TRUE(toast.expired()) << "the fade does not keep the toast alive";
}

TEST_F(QMUIControllers, ALoadingTipKeepsTouchesFromThePage) {
    auto page = std::make_shared<Page>();
    window->setRootViewController(page);
    settle();
    QMUITips::showLoadingInView(page->view());
    settle(0.5);
    const CGPoint middle{window->bounds().midX(), window->bounds().midY()};
    const auto onToast = [&] {
        auto hit = window->hitTest(middle, nullptr);
        const auto shown = toasts(page->view());
        const auto inWindow = toasts(window);
        for (const auto& toast :
             {shown.empty() ? nullptr : shown.front(), inWindow.empty() ? nullptr : inWindow.front()}) {
            if (toast && hit && hit->isDescendantOfView(toast.get())) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(onToast());
    QMUITips::hideAllTips();
    settle(0.5);
    QMUITips::showWithText("稍等");
    settle(0.5);
    EXPECT_FALSE(onToast()) << "a text tip lets touches through";
}

TEST_F(QMUIControllers, ABottomSheetSlidesInAndATapOnTheDimmedAreaHidesIt) {
    auto page = std::make_shared<Page>();
    window->setRootViewController(page);
    settle();

    auto sheet = std::make_shared<BottomSheet>();
    std::weak_ptr<BottomSheet> released = sheet;
    bool shown = false;
    int hiddenByTap = 0;
    sheet->didHideByDimmingViewTappedBlock = [&] { ++hiddenByTap; };
    sheet->showWithAnimated(true, [&](bool) { shown = true; });
    ASSERT_TRUE(sheet->isViewLoaded());
    const auto content = sheet->contentView();
    const CGRect screen = window->bounds();
    EXPECT_EQ(content->frame(),
              (CGRect{{0, screen.height() - BottomSheet::kHeight}, {screen.width(), BottomSheet::kHeight}}));
    EXPECT_GT(content->layer()->presentationLayer()->frame().minY(), content->frame().minY())
        << "still on its way up from the bottom";
    settle(QMUIModalPresentationViewController::kAnimationDuration / 2);
    EXPECT_FALSE(shown);
    settle();
    EXPECT_TRUE(shown);
    EXPECT_EQ(content->layer()->presentationLayer()->frame(), content->frame());
    EXPECT_EQ(content->layer()->maskedCorners(), kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner)
        << "rounded top corners, square lower ones";
    EXPECT_EQ(UIWindow::windows().size(), 2u) << "in a window of its own";

    tapAt({screen.midX(), 100});
    EXPECT_EQ(hiddenByTap, 0) << "the completion waits for the sheet to be gone";
    sheet.reset();
    settle();
    EXPECT_EQ(hiddenByTap, 1);
    EXPECT_EQ(UIWindow::windows().size(), 1u);
    EXPECT_TRUE(window->isKeyWindow()) << "the application's window is key again";
    EXPECT_TRUE(released.expired()) << "nothing keeps a hidden sheet";
}

TEST_F(QMUIControllers, ATapOnTheSheetItselfDoesNotHideIt) {
    auto page = std::make_shared<Page>();
    window->setRootViewController(page);
    settle();
    auto sheet = std::make_shared<BottomSheet>();
    sheet->showWithAnimated(false);
    tapAt({window->bounds().midX(), window->bounds().maxY() - 50});
    settle();
    EXPECT_TRUE(sheet->isVisible());
    sheet->setModal(true);
    tapAt({window->bounds().midX(), 100});
    settle();
    EXPECT_TRUE(sheet->isVisible()) << "a modal sheet ignores the dimmed area";
    bool hidden = false;
    sheet->hideWithAnimated(false, [&](bool) { hidden = true; });
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(sheet->isVisible());
}
