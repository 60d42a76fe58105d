#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// An image of `width` x `height` pixels, white where `opaque` says so, else transparent.
std::shared_ptr<UIImage> makeImage(int width, int height, const std::function<bool(int, int)>& opaque) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            *reinterpret_cast<std::uint32_t*>(data + y * stride + x * 4) = opaque(x, y) ? 0xffffffffu : 0u;
        }
    }
    cairo_surface_mark_dirty(surface);
    return UIImage::imageWithCGImage(CGImage::adopt(surface), 1);
}

int darkPixels(cairo_surface_t* surface, const CGRect& area) {
    int count = 0;
    for (int y = static_cast<int>(area.minY()); y < static_cast<int>(area.maxY()); ++y) {
        for (int x = static_cast<int>(area.minX()); x < static_cast<int>(area.maxX()); ++x) {
            const Pixel pixel = pixelAt(surface, x, y);
            if (pixel.a > 128 && pixel.r < 100) {
                ++count;
            }
        }
    }
    return count;
}

int area(const std::vector<cairo_rectangle_int_t>& rectangles) {
    int total = 0;
    for (const auto& rect : rectangles) {
        total += rect.width * rect.height;
    }
    return total;
}

class ViewDrawing : public testing::Test {
  protected:
    void SetUp() override { testsupport::useVirtualClock(); }
};

} // namespace

TEST_F(ViewDrawing, LabelDrawsItsTextAndRepaintsOnlyItselfWhenItChanges) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 100));
    root->setBackgroundColor(UIColor::whiteColor());
    auto label = std::make_shared<UILabel>(CGRectMake(10, 10, 180, 30));
    label->setText("你好 World");
    label->setFont(UIFont::systemFontOfSize(18));
    root->addSubview(label);
    auto other = std::make_shared<UILabel>(CGRectMake(10, 60, 180, 30));
    other->setText("不变");
    root->addSubview(other);
    LayerCompositor compositor(400, 200, 2);
    compositor.render(*root->layer());
    const int ink = darkPixels(compositor.surface(), CGRectMake(20, 20, 360, 60));
    EXPECT_GT(ink, 200);
    EXPECT_EQ(darkPixels(compositor.surface(), CGRectMake(0, 90, 400, 20)), 0)
        << "nothing between the labels";

    label->setText("改了");
    const auto repainted = compositor.render(*root->layer());
    EXPECT_GT(area(repainted), 0);
    EXPECT_LE(area(repainted), 364 * 64) << "only the changed label's area";
    EXPECT_NE(darkPixels(compositor.surface(), CGRectMake(20, 20, 360, 60)), ink);
}

TEST_F(ViewDrawing, LabelAlignsTextInItsBounds) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 300, 40));
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 300, 40));
    label->setText("AB");
    label->setTextAlignment(NSTextAlignment::right);
    root->addSubview(label);
    LayerCompositor compositor(300, 40, 1);
    compositor.render(*root->layer());
    EXPECT_EQ(darkPixels(compositor.surface(), CGRectMake(0, 0, 200, 40)), 0);
    EXPECT_GT(darkPixels(compositor.surface(), CGRectMake(250, 0, 50, 40)), 20);
}

TEST_F(ViewDrawing, TemplateImagesTakeTheTintColour) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 20, 20));
    auto icon = makeImage(20, 20, [](int x, int) { return x < 10; });
    auto view =
        std::make_shared<UIImageView>(icon->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate));
    root->addSubview(view);
    root->setTintColor(UIColor::redColor());
    LayerCompositor compositor(20, 20, 1);
    compositor.render(*root->layer());
    const Pixel tinted = pixelAt(compositor.surface(), 5, 10);
    EXPECT_EQ(tinted.r, 255);
    EXPECT_EQ(tinted.g, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 15, 10).a, 0);

    view->setTintColor(UIColor::blueColor());
    compositor.render(*root->layer());
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 10).b, 255);
}

TEST_F(ViewDrawing, ContentModesFitOrFillTheBounds) {
    auto wide = makeImage(40, 20, [](int, int) { return true; });
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    auto view = std::make_shared<UIImageView>(CGRectMake(0, 0, 40, 40));
    view->setImage(wide);
    view->setContentMode(UIViewContentMode::scaleAspectFit);
    root->addSubview(view);
    LayerCompositor compositor(40, 40, 1);
    compositor.render(*root->layer());
    EXPECT_EQ(pixelAt(compositor.surface(), 20, 5).a, 0) << "letterboxed above";
    EXPECT_EQ(pixelAt(compositor.surface(), 20, 20).a, 255);

    view->setContentMode(UIViewContentMode::scaleAspectFill);
    compositor.render(*root->layer());
    EXPECT_EQ(pixelAt(compositor.surface(), 20, 5).a, 255);
    EXPECT_EQ(view->intrinsicContentSize(), (CGSize{40, 20}));
}

TEST_F(ViewDrawing, ClipsToBoundsWithCornerRadiusCutsSubviews) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    auto avatar = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    avatar->layer()->setCornerRadius(20);
    avatar->setClipsToBounds(true);
    auto fill = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    fill->setBackgroundColor(UIColor::greenColor());
    avatar->addSubview(fill);
    root->addSubview(avatar);
    LayerCompositor compositor(40, 40, 1);
    compositor.render(*root->layer());
    EXPECT_EQ(pixelAt(compositor.surface(), 1, 1).a, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 20, 20).g, 255);
}

TEST_F(ViewDrawing, AnimatedImagesPlayTheirFramesWhileInAWindow) {
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 10, 10));
    window->makeKeyAndVisible();
    auto left = makeImage(10, 10, [](int x, int) { return x < 5; });
    auto right = makeImage(10, 10, [](int x, int) { return x >= 5; });
    auto view = std::make_shared<UIImageView>(CGRectMake(0, 0, 10, 10));
    view->setImage(UIImage::animatedImageWithImages({left, right}, 1.0));
    EXPECT_EQ(view->layer()->contents(), left);
    EXPECT_FALSE(view->isAnimating()) << "not in a window yet";
    window->addSubview(view);
    EXPECT_TRUE(view->isAnimating());
    RunLoop::main().advance(0.6);
    EXPECT_EQ(view->layer()->contents(), right);
    RunLoop::main().advance(0.5);
    EXPECT_EQ(view->layer()->contents(), left) << "it loops";
    view->removeFromSuperview();
    EXPECT_FALSE(view->isAnimating());
}

TEST_F(ViewDrawing, AttributedTextKeepsItsOwnColoursAndTakesTheLabelsForTheRest) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 40));
    root->setBackgroundColor(UIColor::whiteColor());
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 200, 40));
    label->setFont(UIFont::systemFontOfSize(20));
    label->setTextColor(UIColor::blueColor());
    NSMutableAttributedString text(std::string("RRRR BBBB"));
    NSAttributedString::Attributes red;
    red.foregroundColor = UIColor::redColor();
    text.addAttributes(red, NSRange{0, 4});
    label->setAttributedText(text);
    root->addSubview(label);
    LayerCompositor compositor(200, 40, 1);
    compositor.render(*root->layer());
    int reddish = 0;
    int bluish = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const Pixel pixel = pixelAt(compositor.surface(), x, y);
            reddish += pixel.r > 200 && pixel.b < 80 ? (x < 60 ? 1 : -1000) : 0;
            bluish += pixel.b > 200 && pixel.r < 80 ? (x > 50 ? 1 : -1000) : 0;
        }
    }
    EXPECT_GT(reddish, 20) << "the first word in its own red, only there";
    EXPECT_GT(bluish, 20) << "the rest in the label's blue, only there";
}
