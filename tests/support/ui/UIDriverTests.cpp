#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UILongPressGestureRecognizer.h"
#include "platform/UIKit/UIPanGestureRecognizer.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <filesystem>

using testsupport::ui::UIDriver;

namespace {

class Field : public UIView {
  public:
    using UIView::UIView;
    bool canBecomeFirstResponder() const override { return true; }
    bool acceptsTextInput() const override { return true; }
    void insertText(const std::string& text) override { typed += text; }
    void deleteBackward() override {
        if (!typed.empty()) {
            typed.pop_back();
        }
    }
    std::string typed;
};

class Driver : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
        window = std::make_shared<UIWindow>();
        window->makeKeyAndVisible();
        title = std::make_shared<UILabel>();
        title->setText("我的");
        window->addSubview(title);
        title->snp.makeConstraints([](ConstraintMaker& make) {
            make.top.equalToSuperview().offset(60);
            make.centerX.equalToSuperview();
        });
        button = std::make_shared<UIControl>();
        button->setAccessibilityIdentifier("login");
        window->addSubview(button);
        button->snp.makeConstraints([](ConstraintMaker& make) {
            make.top.equalToSuperview().offset(120);
            make.left.right().equalToSuperview().inset(20);
            make.height.equalTo(44);
        });
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UILabel> title;
    std::shared_ptr<UIControl> button;
};

} // namespace

TEST_F(Driver, FindsViewsByIdentifierTextAndClass) {
    UIDriver driver;
    EXPECT_EQ(driver.findByAccessibilityIdentifier("login"), button);
    EXPECT_EQ(driver.findByText("我的"), title);
    EXPECT_EQ(driver.findByClass<UILabel>(), title);
    EXPECT_EQ(driver.findByClass<UIControl>(), button);
    title->setHidden(true);
    EXPECT_EQ(driver.findByText("我的"), nullptr);
    EXPECT_EQ(driver.findByText("我的", true), title);
    EXPECT_EQ(driver.frameInWindow(button), CGRectMake(20, 120, 350, 44));
}

TEST_F(Driver, TapsPressesDragsAndTypes) {
    UIDriver driver;
    int taps = 0;
    button->addTarget([&](UIControl&) { ++taps; }, UIControlEventTouchUpInside);
    driver.tap(driver.findByAccessibilityIdentifier("login"));
    EXPECT_EQ(taps, 1);

    bool pressed = false;
    auto surface = std::make_shared<UIView>(CGRectMake(0, 300, 390, 300));
    window->addSubview(surface);
    surface->addGestureRecognizer(std::make_shared<UILongPressGestureRecognizer>(
        [&](UIGestureRecognizer& r) { pressed = pressed || r.state() == UIGestureRecognizerState::began; }));
    CGPoint moved;
    surface->addGestureRecognizer(std::make_shared<UIPanGestureRecognizer>([&](UIGestureRecognizer& r) {
        moved = static_cast<UIPanGestureRecognizer&>(r).translationInView(surface.get());
    }));
    driver.longPress(surface);
    EXPECT_TRUE(pressed);
    driver.drag({100, 400}, {100, 500});
    EXPECT_EQ(moved, (CGPoint{0, 100}));

    auto field = std::make_shared<Field>(CGRectMake(0, 200, 390, 40));
    window->addSubview(field);
    field->becomeFirstResponder();
    driver.type("搜索 abc");
    driver.deleteBackward(2);
    EXPECT_EQ(field->typed, "搜索 a");
}

TEST_F(Driver, DescribesTheScreenAndWritesItsPicture) {
    UIDriver driver;
    const std::string tree = driver.dumpTree();
    EXPECT_NE(tree.find("UIWindow {0.0, 0.0, 390.0, 844.0}"), std::string::npos) << tree;
    EXPECT_NE(tree.find("  UILabel"), std::string::npos) << tree;
    EXPECT_NE(tree.find("text=\"我的\""), std::string::npos) << tree;
    EXPECT_NE(tree.find("UIControl {20.0, 120.0, 350.0, 44.0} id=\"login\""), std::string::npos) << tree;
    const auto path = testsupport::freshFolder("driver") / "screen.png";
    EXPECT_TRUE(driver.writeScreenshot(path.string()));
    EXPECT_TRUE(std::filesystem::exists(path));
}
