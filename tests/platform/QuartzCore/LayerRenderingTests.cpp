#include "platform/QuartzCore/CAGradientLayer.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "platform/QuartzCore/LayerRenderState.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<CALayer> rootLayer(CGFloat width, CGFloat height) {
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, width, height));
    return root;
}

std::shared_ptr<CALayer> coloredLayer(const CGRect& frame, const UIColor& color) {
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    return layer;
}

int area(const std::vector<cairo_rectangle_int_t>& rectangles) {
    int total = 0;
    for (const auto& rect : rectangles) {
        total += rect.width * rect.height;
    }
    return total;
}

class LayerRendering : public testing::Test {
  protected:
    void SetUp() override { testsupport::useVirtualClock(); }
};

} // namespace

TEST_F(LayerRendering, CornerRadiusLeavesTheCornersTransparent) {
    auto root = rootLayer(40, 40);
    auto card = coloredLayer(CGRectMake(0, 0, 40, 40), UIColor::redColor());
    card->setCornerRadius(10);
    root->addSublayer(card);
    LayerCompositor compositor(80, 80, 2);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 0, 0).a, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 79, 79).a, 0);
    const Pixel middle = pixelAt(compositor.surface(), 40, 40);
    EXPECT_EQ(middle.a, 255);
    EXPECT_EQ(middle.r, 255);
    // The straight edges stay fully covered.
    EXPECT_EQ(pixelAt(compositor.surface(), 40, 0).a, 255);
}

TEST_F(LayerRendering, MasksToBoundsClipsSublayersToTheRoundedBounds) {
    auto root = rootLayer(40, 40);
    auto clip = coloredLayer(CGRectMake(10, 10, 20, 20), UIColor::whiteColor());
    clip->setMasksToBounds(true);
    clip->setCornerRadius(6);
    clip->addSublayer(coloredLayer(CGRectMake(-10, -10, 40, 40), UIColor::blueColor()));
    root->addSublayer(clip);
    auto unclipped = coloredLayer(CGRectMake(0, 30, 10, 10), UIColor::greenColor());
    root->addSublayer(unclipped);
    LayerCompositor compositor(40, 40, 1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 5).a, 0) << "outside the clipping layer";
    EXPECT_EQ(pixelAt(compositor.surface(), 10, 10).a, 0) << "the rounded corner is cut";
    const Pixel inside = pixelAt(compositor.surface(), 20, 20);
    EXPECT_EQ(inside.b, 255);
    EXPECT_EQ(inside.a, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 35).g, 255);

    clip->setMasksToBounds(false);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 5).b, 255) << "no longer clipped";
}

TEST_F(LayerRendering, MaskedCornersRoundOnlyTheTopOfASheet) {
    auto root = rootLayer(40, 40);
    auto sheet = coloredLayer(CGRectMake(0, 0, 40, 40), UIColor::whiteColor());
    sheet->setCornerRadius(10);
    sheet->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
    root->addSublayer(sheet);
    LayerCompositor compositor(40, 40, 1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 0, 0).a, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 39, 0).a, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 0, 39).a, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 39, 39).a, 255);
}

TEST_F(LayerRendering, GradientRunsFromTopToBottom) {
    auto root = rootLayer(10, 100);
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(CGRectMake(0, 0, 10, 100));
    gradient->setColors({UIColor::blackColor(), UIColor::whiteColor()});
    gradient->setLocations({0, 1});
    gradient->setStartPoint({0, 0});
    gradient->setEndPoint({0, 1});
    root->addSublayer(gradient);
    LayerCompositor compositor(10, 100, 1);
    compositor.render(*root);
    const Pixel top = pixelAt(compositor.surface(), 5, 0);
    const Pixel middle = pixelAt(compositor.surface(), 5, 50);
    const Pixel bottom = pixelAt(compositor.surface(), 5, 99);
    EXPECT_LT(top.r, 5);
    EXPECT_NEAR(middle.r, 128, 4);
    EXPECT_GT(bottom.r, 250);
    EXPECT_EQ(pixelAt(compositor.surface(), 0, 30).r, pixelAt(compositor.surface(), 9, 30).r)
        << "rows are uniform";
}

TEST_F(LayerRendering, OpacityComposesAsOneGroup) {
    auto root = rootLayer(20, 20);
    auto group = coloredLayer(CGRectMake(0, 0, 20, 20), UIColor::redColor());
    group->setOpacity(0.5f);
    // An opaque child covering part of the parent: inside the group it hides the red,
    // then the group as a whole is half transparent.
    group->addSublayer(coloredLayer(CGRectMake(0, 0, 10, 20), UIColor::blueColor()));
    root->addSublayer(group);
    LayerCompositor compositor(20, 20, 1);
    compositor.render(*root);
    const Pixel left = pixelAt(compositor.surface(), 5, 10);
    EXPECT_NEAR(left.a, 128, 2);
    EXPECT_EQ(left.r, 0);
    EXPECT_EQ(left.b, 255);
    const Pixel right = pixelAt(compositor.surface(), 15, 10);
    EXPECT_NEAR(right.a, 128, 2);
    EXPECT_EQ(right.r, 255);

    // A half-transparent child mixes with the red inside the group.
    group->sublayers().front()->setOpacity(0.5f);
    compositor.render(*root);
    const Pixel mixed = pixelAt(compositor.surface(), 5, 10);
    EXPECT_NEAR(mixed.a, 128, 2);
    EXPECT_NEAR(mixed.r, 128, 3);
    EXPECT_NEAR(mixed.b, 128, 3);
}

TEST_F(LayerRendering, HiddenLayersAndTheirSublayersAreNotDrawn) {
    auto root = rootLayer(20, 20);
    auto parent = coloredLayer(CGRectMake(0, 0, 20, 20), UIColor::redColor());
    parent->addSublayer(coloredLayer(CGRectMake(0, 0, 5, 5), UIColor::blueColor()));
    root->addSublayer(parent);
    LayerCompositor compositor(20, 20, 1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 2, 2).b, 255);
    parent->setHidden(true);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 2, 2).a, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 15, 15).a, 0);
}

TEST_F(LayerRendering, BorderIsDrawnInsideTheBoundsAboveSublayers) {
    auto root = rootLayer(20, 20);
    auto box = coloredLayer(CGRectMake(0, 0, 20, 20), UIColor::whiteColor());
    box->setBorderWidth(2);
    box->setBorderColor(UIColor::blackColor());
    box->addSublayer(coloredLayer(CGRectMake(0, 0, 20, 20), UIColor::redColor()));
    root->addSublayer(box);
    LayerCompositor compositor(20, 20, 1);
    compositor.render(*root);
    const Pixel edge = pixelAt(compositor.surface(), 0, 10);
    EXPECT_EQ(edge.r, 0);
    EXPECT_EQ(edge.a, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 10, 10).r, 255);
}

TEST_F(LayerRendering, ShapeLayerFillsItsPathBeyondItsBounds) {
    auto root = rootLayer(40, 40);
    auto shape = CAShapeLayer::layer();
    shape->setAnchorPoint({0, 0});
    shape->setPosition({0, 0});
    CGPath path;
    path.addRect(CGRectMake(20, 20, 10, 10));
    shape->setPath(path);
    shape->setFillColor(UIColor::greenColor());
    root->addSublayer(shape);
    LayerCompositor compositor(40, 40, 1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 25, 25).g, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 15, 15).a, 0);
}

TEST_F(LayerRendering, ShadowFallsBesideTheLayer) {
    auto root = rootLayer(60, 60);
    auto card = coloredLayer(CGRectMake(20, 20, 20, 20), UIColor::whiteColor());
    card->setShadowOpacity(1);
    card->setShadowRadius(2);
    card->setShadowOffset({0, 8});
    root->addSublayer(card);
    LayerCompositor compositor(60, 60, 1);
    compositor.render(*root);
    EXPECT_GT(pixelAt(compositor.surface(), 30, 45).a, 100) << "below the card";
    EXPECT_EQ(pixelAt(compositor.surface(), 30, 12).a, 0) << "nothing above it";
}

TEST_F(LayerRendering, AChangeRepaintsOnlyTheAreaItTouches) {
    auto root = rootLayer(200, 200);
    std::vector<std::shared_ptr<CALayer>> tiles;
    for (int i = 0; i < 10; ++i) {
        tiles.push_back(coloredLayer(CGRectMake(i * 20, 0, 20, 20), UIColor::redColor()));
        root->addSublayer(tiles.back());
    }
    LayerCompositor compositor(200, 200, 1);
    EXPECT_EQ(area(compositor.render(*root)), 200 * 200);
    EXPECT_TRUE(compositor.render(*root).empty()) << "nothing changed";

    tiles[3]->setBackgroundColor(UIColor::blueColor());
    const auto repainted = compositor.render(*root);
    EXPECT_GT(area(repainted), 0);
    EXPECT_LE(area(repainted), 24 * 24);
    EXPECT_EQ(pixelAt(compositor.surface(), 70, 10).b, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 90, 10).r, 255);

    // Moving a tile repaints where it was and where it is now.
    tiles[5]->setPosition({110, 150});
    EXPECT_LE(area(compositor.render(*root)), 2 * 24 * 24);
    EXPECT_EQ(pixelAt(compositor.surface(), 110, 10).a, 0);
    EXPECT_EQ(pixelAt(compositor.surface(), 110, 150).r, 255);

    // Removing a tile repaints the area it left.
    tiles[0]->removeFromSuperlayer();
    EXPECT_LE(area(compositor.render(*root)), 24 * 24);
    EXPECT_EQ(pixelAt(compositor.surface(), 10, 10).a, 0);
}

TEST_F(LayerRendering, RenderInContextMatchesTheCompositor) {
    auto root = rootLayer(30, 30);
    auto card = coloredLayer(CGRectMake(5, 5, 20, 20), UIColor::colorWithRed(0.2, 0.4, 0.6, 1));
    card->setCornerRadius(4);
    root->addSublayer(card);
    LayerCompositor compositor(60, 60, 2);
    compositor.render(*root);

    cairo_surface_t* direct = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 60);
    cairo_t* cr = cairo_create(direct);
    cairo_scale(cr, 2, 2);
    root->renderInContext(cr);
    cairo_destroy(cr);
    for (int y = 0; y < 60; y += 3) {
        for (int x = 0; x < 60; x += 3) {
            const Pixel a = pixelAt(compositor.surface(), x, y);
            const Pixel b = pixelAt(direct, x, y);
            ASSERT_EQ(a.a, b.a) << x << "," << y;
            ASSERT_EQ(a.r, b.r) << x << "," << y;
        }
    }
    cairo_surface_destroy(direct);
}

TEST_F(LayerRendering, ContentLargerThanTheImageIsDrawnWhereItShowsWithoutAKeptRaster) {
    // A long column (as a long text in a scroll view) moved up by its scroll position.
    auto root = rootLayer(10, 100);
    auto scroller = CALayer::layer();
    scroller->setFrame(CGRectMake(0, 0, 10, 100));
    scroller->setMasksToBounds(true);
    root->addSublayer(scroller);
    auto column = CAGradientLayer::layer();
    column->setFrame(CGRectMake(0, -300, 10, 400));
    column->setColors({UIColor::blackColor(), UIColor::whiteColor()});
    column->setStartPoint({0, 0});
    column->setEndPoint({0, 1});
    scroller->addSublayer(column);
    auto badge = CAGradientLayer::layer();
    badge->setFrame(CGRectMake(0, 0, 10, 10));
    badge->setColors({UIColor::redColor(), UIColor::redColor()});
    root->addSublayer(badge);
    LayerCompositor compositor(20, 200, 2);
    compositor.render(*root);

    EXPECT_EQ(column->renderState().content, nullptr)
        << "a raster of 20 x 800 pixels for an image of 20 x 200";
    EXPECT_NE(badge->renderState().content, nullptr) << "small content stays kept";
    // The column's lowest quarter shows: 11 points down is 311 of its 400 towards white.
    EXPECT_NEAR(pixelAt(compositor.surface(), 10, 22).r, 198, 5);
    EXPECT_GT(pixelAt(compositor.surface(), 10, 199).r, 250);
    EXPECT_EQ(pixelAt(compositor.surface(), 10, 10).g, 0) << "the badge is drawn above";

    // Scrolled, it is drawn again where it shows now.
    column->setFrame(CGRectMake(0, 0, 10, 400));
    compositor.render(*root);
    EXPECT_EQ(column->renderState().content, nullptr);
    EXPECT_LT(pixelAt(compositor.surface(), 10, 199).r, 70);
}
