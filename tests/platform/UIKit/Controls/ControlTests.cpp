#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/Controls/UIButton.h"
#include "platform/UIKit/Controls/UIPageControl.h"
#include "platform/UIKit/Controls/UIProgressView.h"
#include "platform/UIKit/Controls/UISwitch.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Controls : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
        window->makeKeyAndVisible();
    }

    // A solid image of `size` points at scale 1.
    static std::shared_ptr<UIImage> image(CGSize size) {
        cairo_surface_t* surface = cairo_image_surface_create(
            CAIRO_FORMAT_ARGB32, static_cast<int>(size.width), static_cast<int>(size.height));
        return UIImage::imageWithCGImage(CGImage::adopt(surface), 1);
    }

    std::shared_ptr<UIWindow> window;
};

} // namespace

TEST_F(Controls, AButtonShowsThePerStateValuesFallingBackToNormal) {
    auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 200, 44));
    window->addSubview(button);
    button->setTitle("播放", UIControlStateNormal);
    button->setTitle("暂停", UIControlStateSelected);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->setTitleColor(UIColor::redColor(), UIControlStateSelected);
    auto normalImage = image({20, 20});
    auto selectedImage = image({24, 24});
    button->setImage(normalImage, UIControlStateNormal);
    button->setImage(selectedImage, UIControlStateSelected);

    EXPECT_EQ(button->currentTitle(), "播放");
    EXPECT_EQ(button->titleLabel()->text(), "播放");
    EXPECT_EQ(button->imageView()->image(), normalImage);
    button->setSelected(true);
    EXPECT_EQ(button->titleLabel()->text(), "暂停");
    EXPECT_EQ(button->titleLabel()->textColor(), UIColor::redColor());
    EXPECT_EQ(button->imageView()->image(), selectedImage);
    button->setSelected(false);
    button->setEnabled(false);
    EXPECT_EQ(button->titleLabel()->text(), "播放") << "no disabled title: the normal one";
    EXPECT_LT(button->imageView()->alpha(), 1) << "dimmed while disabled";
    EXPECT_EQ(button->titleForState(UIControlStateHighlighted), "播放");
}

TEST_F(Controls, AButtonSizesToItsContentAndInsetsAndLaysItOut) {
    auto button = std::make_shared<UIButton>();
    window->addSubview(button);
    button->setImage(image({20, 20}), UIControlStateNormal);
    button->setTitle("搜索电影", UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(12));
    const CGSize title = button->titleLabel()->sizeThatFits({0, 0});
    button->sizeToFit();
    EXPECT_NEAR(button->frame().size.width, 20 + title.width, 1);
    EXPECT_NEAR(button->frame().size.height, std::max<CGFloat>(20, title.height), 1);

    button->setContentEdgeInsets({0, 8, 0, 0});
    button->contentHorizontalAlignment = UIControlContentHorizontalAlignment::left;
    button->setFrame(CGRectMake(0, 0, 250, 34));
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), CGRectMake(8, 7, 20, 20));
    EXPECT_NEAR(button->titleLabel()->frame().origin.x, 28, 0.5);
}

TEST_F(Controls, ATapOnAButtonHighlightsThenSendsTouchUpInside) {
    auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 100, 40));
    window->addSubview(button);
    int taps = 0;
    button->addTarget([&](UIControl&) { ++taps; }, UIControlEventTouchUpInside);
    window->handleTouch(UITouchPhase::began, {50, 30}, 0);
    EXPECT_TRUE(button->isHighlighted());
    window->handleTouch(UITouchPhase::ended, {50, 30}, 0.05);
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(taps, 1);
    button->setEnabled(false);
    TouchScript(*window).tap({50, 30});
    EXPECT_EQ(taps, 1) << "a disabled button takes no taps";
}

TEST_F(Controls, ASwitchFlipsOnTapButNotWhenSetInCode) {
    auto toggle = std::make_shared<UISwitch>(CGRectMake(20, 20, 0, 0));
    window->addSubview(toggle);
    EXPECT_EQ(toggle->frame().size, CGSizeMake(51, 31));
    int changes = 0;
    toggle->addTarget([&](UIControl&) { ++changes; }, UIControlEventValueChanged);
    TouchScript(*window).tap({40, 35});
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(changes, 1);
    toggle->setOn(false);
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(changes, 1);
}

TEST_F(Controls, APageControlClampsItsPageAndStepsOnTaps) {
    auto dots = std::make_shared<UIPageControl>(CGRectMake(0, 100, 320, 26));
    window->addSubview(dots);
    dots->setNumberOfPages(5);
    dots->setCurrentPage(9);
    EXPECT_EQ(dots->currentPage(), 4);
    dots->setCurrentPage(2);
    long reported = -1;
    dots->addTarget(
        [&](UIControl& control) { reported = static_cast<UIPageControl&>(control).currentPage(); },
        UIControlEventValueChanged);
    TouchScript(*window).tap({300, 113});
    EXPECT_EQ(dots->currentPage(), 3);
    EXPECT_EQ(reported, 3);
    TouchScript(*window).tap({10, 113});
    EXPECT_EQ(dots->currentPage(), 2);
    dots->setHidesForSinglePage(true);
    dots->setNumberOfPages(1);
    EXPECT_TRUE(dots->isHidden());
    EXPECT_EQ(dots->currentPage(), 0);
}

TEST_F(Controls, AnActivityIndicatorShowsOnlyWhileAnimatingAndSpins) {
    auto spinner = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::large);
    window->addSubview(spinner);
    EXPECT_EQ(spinner->intrinsicContentSize(), CGSizeMake(37, 37));
    EXPECT_TRUE(spinner->isHidden());
    spinner->startAnimating();
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_FALSE(spinner->isHidden());
    const CALayer& wheel = *spinner->layer()->sublayers().front();
    const auto first = wheel.presentationValueForKeyPath("transform");
    RunLoop::main().advance(0.3);
    const auto later = wheel.presentationValueForKeyPath("transform");
    ASSERT_TRUE(first && later);
    EXPECT_NE(std::get<CGAffineTransform>(*first), std::get<CGAffineTransform>(*later));
    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
}

TEST_F(Controls, AProgressViewFillsItsShare) {
    auto bar = std::make_shared<UIProgressView>();
    bar->setFrame(CGRectMake(0, 0, 200, 4));
    window->addSubview(bar);
    bar->setProgress(1.7f);
    EXPECT_EQ(bar->progress(), 1.0f);
    bar->setProgress(0.25f);
    window->layoutIfNeeded();
    EXPECT_EQ(bar->layer()->sublayers().front()->frame().size.width, 50);
}
