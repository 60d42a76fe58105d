#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUIFloatLayoutView.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUIMarqueeLabel.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/QMUIKit/Controls/QMUITextView.h"
#include "platform/UIKit/Controls/UIPasteboard.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class QMUIControls : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
        window->makeKeyAndVisible();
    }

    static std::shared_ptr<UIImage> image(CGSize size) {
        cairo_surface_t* surface = cairo_image_surface_create(
            CAIRO_FORMAT_ARGB32, static_cast<int>(size.width), static_cast<int>(size.height));
        return UIImage::imageWithCGImage(CGImage::adopt(surface), 1);
    }

    std::shared_ptr<UIWindow> window;
};

} // namespace

TEST_F(QMUIControls, AButtonPutsItsImageAboveTheTitleWithTheSpacing) {
    auto button = std::make_shared<QMUIButton>();
    window->addSubview(button);
    button->setImage(image({30, 30}), UIControlStateNormal);
    button->setTitle("分享", UIControlStateNormal);
    button->setImagePosition(QMUIButtonImagePosition::top);
    button->setSpacingBetweenImageAndTitle(6);
    const CGSize title = button->titleLabel()->sizeThatFits({0, 0});
    button->sizeToFit();
    EXPECT_NEAR(button->frame().size.height, 30 + 6 + title.height, 1);
    EXPECT_NEAR(button->frame().size.width, std::max<CGFloat>(30, title.width), 1);
    button->setFrame(CGRectMake(0, 0, 80, 80));
    button->layoutIfNeeded();
    const CGRect imageFrame = button->imageView()->frame();
    const CGRect titleFrame = button->titleLabel()->frame();
    EXPECT_NEAR(imageFrame.midX(), 40, 0.5);
    EXPECT_NEAR(titleFrame.midX(), 40, 0.5);
    EXPECT_NEAR(titleFrame.minY() - imageFrame.maxY(), 6, 0.5);

    button->setImagePosition(QMUIButtonImagePosition::right);
    button->layoutIfNeeded();
    EXPECT_NEAR(button->imageView()->frame().minX() - button->titleLabel()->frame().maxX(), 6, 0.5);
}

TEST_F(QMUIControls, TheTapBlockRunsOnTapsAndIsReplaced) {
    auto button = std::make_shared<QMUIButton>(CGRectMake(0, 0, 100, 40));
    window->addSubview(button);
    int first = 0;
    int second = 0;
    button->setQmui_tapBlock([&](UIControl&) { ++first; });
    window->handleTouch(UITouchPhase::began, {50, 20}, 0);
    EXPECT_EQ(button->alpha(), 0.5) << "the whole button dims while pressed";
    window->handleTouch(UITouchPhase::ended, {50, 20}, 0.1);
    EXPECT_EQ(button->alpha(), 1);
    button->setQmui_tapBlock([&](UIControl&) { ++second; });
    window->handleTouch(UITouchPhase::began, {50, 20}, 1);
    window->handleTouch(UITouchPhase::ended, {50, 20}, 1.1);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);

    button->setCornerRadius(QMUIButtonCornerRadiusAdjustsBounds);
    window->layoutIfNeeded();
    EXPECT_EQ(button->layer()->cornerRadius(), 20);
}

TEST_F(QMUIControls, ALabelAddsItsInsetsAndCopiesOnALongPress) {
    auto label = std::make_shared<QMUILabel>();
    window->addSubview(label);
    label->setText("公告内容");
    const CGSize plain = label->intrinsicContentSize();
    label->setContentEdgeInsets({4, 10, 4, 10});
    EXPECT_EQ(label->intrinsicContentSize(), CGSizeMake(plain.width + 20, plain.height + 8));

    label->setFrame(CGRectMake(0, 0, 200, 40));
    std::string copied;
    label->setCanPerformCopyAction(true);
    label->didCopyBlock = [&](QMUILabel&, const std::string& text) { copied = text; };
    window->handleTouch(UITouchPhase::began, {50, 20}, RunLoop::main().now());
    RunLoop::main().advance(0.6);
    window->handleTouch(UITouchPhase::ended, {50, 20}, RunLoop::main().now());
    EXPECT_EQ(copied, "公告内容");
    EXPECT_EQ(UIPasteboard::generalPasteboard().string(), "公告内容");
}

TEST_F(QMUIControls, AMarqueeLabelScrollsLongTextOnlyAndPausesAtTheStart) {
    auto label = std::make_shared<QMUIMarqueeLabel>(CGRectMake(0, 0, 100, 20));
    label->setFadeWidthPercent(0);
    label->setText("一段很长很长很长很长的剧集名字");
    window->addSubview(label);
    window->layoutIfNeeded();
    ASSERT_TRUE(label->isScrolling());
    RunLoop::main().advance(2);
    EXPECT_EQ(label->scrollOffset(), 0) << "still pausing at the start";
    RunLoop::main().advance(1.5);
    EXPECT_GT(label->scrollOffset(), 20);
    RunLoop::main().advance(60);
    EXPECT_LT(label->scrollOffset(), 500) << "passes start over";

    label->setText("短");
    window->layoutIfNeeded();
    RunLoop::main().advance(0.1);
    EXPECT_FALSE(label->isScrolling());
    EXPECT_EQ(label->scrollOffset(), 0);

    label->setText("又是一段很长很长很长很长的文字");
    window->layoutIfNeeded();
    EXPECT_TRUE(label->isScrolling());
    label->removeFromSuperview();
    EXPECT_FALSE(label->isScrolling()) << "no scrolling off screen";
}

TEST_F(QMUIControls, ATextFieldKeepsToItsMaximumLengthForTypingCompositionAndPaste) {
    auto field = std::make_shared<QMUITextField>(CGRectMake(0, 0, 200, 40));
    window->addSubview(field);
    field->setMaximumTextLength(3);
    field->setText("0");
    field->becomeFirstResponder();
    window->handleTextInput("12");
    window->handleTextInput("3");
    EXPECT_EQ(field->text(), "012");
    window->handleDeleteBackward();
    window->handleMarkedText("zhong");
    EXPECT_EQ(field->text(), "01zhong") << "a composition is not cut while it lasts";
    window->handleMarkedText("");
    window->handleTextInput("中文");
    EXPECT_EQ(field->text(), "01中") << "the committed text is cut to fit";

    UIPasteboard::generalPasteboard().setString("abcdef");
    field->selectAll();
    field->paste();
    EXPECT_EQ(field->text(), "abc");
    field->paste();
    EXPECT_EQ(field->text(), "abc") << "a full field takes nothing more";
    field->setSelectedRange({1, 1});
    UIPasteboard::generalPasteboard().setString("👍🏽X");
    field->paste();
    EXPECT_EQ(field->text(), "ac") << "no room for the whole emoji, and no half of it";
}

TEST_F(QMUIControls, ATextFieldSendsEditingChangedWhenCodeSetsItsText) {
    auto field = std::make_shared<QMUITextField>();
    int changes = 0;
    field->addTarget([&](UIControl&) { ++changes; }, UIControlEventEditingChanged);
    field->setText("周星驰");
    field->setText("周星驰");
    EXPECT_EQ(changes, 1);
    field->setPlaceholderColor(UIColor::redColor());
    EXPECT_EQ(field->placeholderColor(), UIColor::redColor());
}

TEST_F(QMUIControls, ATextViewRefusesTextBeyondItsMaximum) {
    auto view = std::make_shared<QMUITextView>(CGRectMake(0, 0, 300, 120));
    window->addSubview(view);
    view->setPlaceholder("请输入文字");
    view->setMaximumTextLength(200);
    view->becomeFirstResponder();
    UIPasteboard::generalPasteboard().setString(std::string(150, 'x'));
    view->paste();
    view->paste();
    EXPECT_EQ(view->text().size(), 200u);
    window->handleTextInput("再");
    EXPECT_EQ(view->text().size(), 200u);
}

TEST_F(QMUIControls, AFloatLayoutWrapsItemsIntoLinesAndSaysHowHighItIs) {
    auto layout = std::make_shared<QMUIFloatLayoutView>();
    window->addSubview(layout);
    layout->setMinimumItemSize({72, 30});
    layout->setItemMargins({0, 0, 12, 10});
    std::vector<std::shared_ptr<QMUIButton>> items;
    for (const char* title : {"求片", "播放问题", "投屏问题", "其他", "一个很长很长很长的类型名称"}) {
        auto button = std::make_shared<QMUIButton>();
        button->setTitle(title, UIControlStateNormal);
        layout->addSubview(button);
        items.push_back(button);
    }
    const CGFloat width = 250;
    // 72 + 10 per short item: three share the first line, the fourth wraps.
    const CGFloat height = layout->sizeThatFits({width, 0}).height;
    layout->setFrame(CGRectMake(0, 0, width, height));
    layout->layoutIfNeeded();
    EXPECT_EQ(items[0]->frame().origin, (CGPoint{0, 0}));
    EXPECT_EQ(items[1]->frame().origin, (CGPoint{82, 0}));
    EXPECT_EQ(items[2]->frame().origin, (CGPoint{164, 0}));
    EXPECT_EQ(items[3]->frame().origin, (CGPoint{0, 42}));
    // An item wider than the rest of the line starts the next one.
    EXPECT_EQ(items[4]->frame().minX(), 0);
    EXPECT_EQ(items[4]->frame().minY(), 84);
    EXPECT_GE(items[4]->frame().size.width, 72);
    EXPECT_EQ(height, items[4]->frame().maxY() + 12);

    // Hidden items take no room; an empty layout needs no height.
    items[4]->setHidden(true);
    EXPECT_EQ(layout->sizeThatFits({width, 0}).height, 84);
    for (const auto& item : items) {
        item->removeFromSuperview();
    }
    EXPECT_EQ(layout->sizeThatFits({width, 0}).height, 0);
}
