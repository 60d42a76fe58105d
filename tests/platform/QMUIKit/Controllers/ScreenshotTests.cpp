#include "platform/QMUIKit/Controllers/QMUICommonViewController.h"
#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/QMUIKit/Controllers/QMUIModalPresentationViewController.h"
#include "platform/QMUIKit/Controllers/QMUINavigationController.h"
#include "platform/QMUIKit/Controllers/UIColor+QMUI.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controllers/UIBarButtonItem.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UILabel.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

const UIColor kPanel = *qmui_colorWithHexString("28272C");
const UIColor kBar = *qmui_colorWithHexString("1C1B20");

class Page : public QMUICommonViewController {
  public:
    void viewDidLoad() override {
        QMUICommonViewController::viewDidLoad();
        view()->setBackgroundColor(kPanel);
    }
};

class Sheet : public QMUIModalPresentationViewController {
  public:
    void viewDidLoad() override {
        QMUIModalPresentationViewController::viewDidLoad();
        setAnimationStyle(QMUIModalPresentationAnimationStyle::slide);
        auto sheet = std::make_shared<UIView>();
        sheet->setBackgroundColor(UIColor::whiteColor());
        sheet->layer()->setCornerRadius(10);
        sheet->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
        sheet->setClipsToBounds(true);
        setContentView(sheet);
        std::weak_ptr<Sheet> weakSelf = std::static_pointer_cast<Sheet>(sharedController());
        setLayoutBlock([weakSelf](CGRect bounds, CGFloat, CGRect) {
            if (auto self = weakSelf.lock()) {
                self->contentView()->setFrame({{0, bounds.height() - 400}, {bounds.width(), 400}});
            }
        });
        title_ = std::make_shared<UILabel>();
        title_->setText("切换视频源");
        title_->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));
        title_->setTextColor(*qmui_colorWithHexString("28272C"));
        title_->setFrame({{15, 15}, {200, 22}});
        sheet->addSubview(title_);
    }

  private:
    std::shared_ptr<UILabel> title_;
};

// The application's look of the navigation bar: a one-colour background image, a white
// 18-point title.
void applyTheme() {
    QMUIConfiguration& configuration = QMUICMI();
    configuration.navBarBackgroundImage = UIImage::qmui_imageWithColor(kBar);
    configuration.navBarTitleColor = UIColor::whiteColor();
    configuration.navBarTitleFont = UIFont::systemFontOfSize(18);
}

class Screenshots : public ScreenTest {
  protected:
    std::shared_ptr<Page> showPage() {
        auto page = std::make_shared<Page>();
        window->setRootViewController(page);
        settle();
        return page;
    }
};

} // namespace

TEST_F(Screenshots, APushedPageUnderTheThemedNavigationBar) {
    applyTheme();
    auto root = std::make_shared<Page>();
    root->setTitle("我的");
    auto navigation = std::make_shared<QMUINavigationController>(root);
    navigation->navigationBar()->setTranslucent(false);
    window->setRootViewController(navigation);
    settle();
    auto history = std::make_shared<Page>();
    history->setTitle("播放记录");
    auto clear = std::make_shared<UIBarButtonItem>("清空", UIBarButtonItemStyle::plain, nullptr);
    clear->setTintColor(UIColor::whiteColor());
    history->navigationItem()->setRightBarButtonItem(clear);
    navigation->pushViewController(history, true);
    settle();

    ScreenImage screen;
    const CGFloat barBottom = navigation->navigationBar()->frame().maxY();
    EXPECT_TRUE(similarColors(screen.colorAt({5, 5}), kBar)) << "the bar's background covers the status bar";
    EXPECT_TRUE(similarColors(screen.colorAt({5, barBottom - 3}), kBar));
    EXPECT_TRUE(similarColors(screen.colorAt({5, barBottom + 20}), kPanel))
        << "the page starts below the opaque bar";
    const CGRect title = navigation->navigationBar()->titleLabel()->frame();
    bool whiteTitle = false;
    for (CGFloat x = title.minX(); x < title.maxX() && !whiteTitle; x += 0.5) {
        whiteTitle = similarColors(screen.colorAt({x, title.midY()}), UIColor::whiteColor(), 0.2);
    }
    EXPECT_TRUE(whiteTitle) << "the title is drawn in white";
    EXPECT_NEAR(title.midX(), window->bounds().midX(), 1);
    keepScreenshot("PushedPageWithThemedBar");
}

TEST_F(Screenshots, AnAlertOverTheDimmedPage) {
    auto page = showPage();
    auto alert = UIAlertController::alertControllerWithTitle("确认退出登录？", std::nullopt,
                                                             UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    alert->addAction(UIAlertAction::actionWithTitle("确认", UIAlertActionStyle::destructive));
    page->presentViewController(alert, true);
    settle();

    ScreenImage screen;
    const CGPoint middle{window->bounds().midX(), window->bounds().midY()};
    EXPECT_GT(screen.colorAt(middle).red, 0.85) << "the card is light";
    const UIColor corner = screen.colorAt({5, 5});
    EXPECT_LT(corner.red, kPanel.red) << "the page is dimmed";
    ASSERT_NE(find("确认"), nullptr);
    EXPECT_EQ(find("确认")->frame().width(), find("取消")->frame().width()) << "two buttons side by side";
    keepScreenshot("Alert");
}

TEST_F(Screenshots, ABottomSheetWithRoundedTopCorners) {
    showPage();
    auto sheet = std::make_shared<Sheet>();
    sheet->showWithAnimated(true);
    settle();

    ScreenImage screen;
    const CGFloat top = window->bounds().height() - 400;
    const CGFloat bottom = window->bounds().height();
    EXPECT_FALSE(similarColors(screen.colorAt({0.5, top + 0.5}), UIColor::whiteColor(), 0.1))
        << "the top left corner is rounded off";
    EXPECT_TRUE(similarColors(screen.colorAt({0.5, bottom - 0.5}), UIColor::whiteColor()))
        << "the lower corner is square";
    EXPECT_TRUE(similarColors(screen.colorAt({window->bounds().midX(), top + 200}), UIColor::whiteColor()));
    EXPECT_LT(screen.colorAt({5, top - 50}).red, kPanel.red) << "the page above the sheet is dimmed";
    keepScreenshot("BottomSheet");
    sheet->hideWithAnimated(false);
}

TEST_F(Screenshots, AToastInTheMiddleOfTheWindow) {
    showPage();
    QMUITips::showSucceed("反馈成功~");
    settle(0.5);
    ScreenImage screen;
    const CGPoint middle{window->bounds().midX(), window->bounds().midY()};
    EXPECT_LT(screen.colorAt({middle.x - 40, middle.y}).red, kPanel.red) << "the dark box of the toast";
    EXPECT_NE(find("反馈成功~"), nullptr);
    keepScreenshot("Toast");
    QMUITips::hideAllTips();
}
