#include "platform/render/Paint.h"
#include "tests/platform/render/RenderTestSupport.h"

#include <gtest/gtest.h>

namespace {

using rendertest::pixelAt;

const render::RGBA kRed{1, 0, 0, 1};
const render::RGBA kBlue{0, 0, 1, 1};

TEST(Paint, RoundedRectLeavesCornersTransparent) {
    auto surface = rendertest::makeSurface(80, 80);
    auto cr = rendertest::makeContext(surface.get(), 2);
    render::fillRoundedRect(cr.get(), CGRectMake(0, 0, 40, 40), {10, 10, 10, 10}, kRed);
    EXPECT_EQ(pixelAt(surface.get(), 1, 1).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 78, 78).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 40, 40).a, 255);
    EXPECT_EQ(pixelAt(surface.get(), 40, 1).a, 255) << "edges between the corners are filled";
    EXPECT_EQ(pixelAt(surface.get(), 40, 40).r, 255);
}

TEST(Paint, PerCornerRadiusKeepsLowerCornersSquare) {
    auto surface = rendertest::makeSurface(40, 40);
    auto cr = rendertest::makeContext(surface.get());
    render::fillRoundedRect(cr.get(), CGRectMake(0, 0, 40, 40), {12, 12, 0, 0}, kRed);
    EXPECT_EQ(pixelAt(surface.get(), 0, 0).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 39, 0).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 0, 39).a, 255);
    EXPECT_EQ(pixelAt(surface.get(), 39, 39).a, 255);
}

TEST(Paint, BorderIsDrawnInsideTheBounds) {
    auto surface = rendertest::makeSurface(40, 40);
    auto cr = rendertest::makeContext(surface.get());
    render::strokeBorder(cr.get(), CGRectMake(5, 5, 30, 30), {}, 2, kBlue);
    EXPECT_EQ(pixelAt(surface.get(), 4, 20).a, 0) << "nothing outside";
    EXPECT_EQ(pixelAt(surface.get(), 5, 20).b, 255);
    EXPECT_EQ(pixelAt(surface.get(), 6, 20).b, 255);
    EXPECT_EQ(pixelAt(surface.get(), 7, 20).a, 0) << "the middle stays empty";
    EXPECT_EQ(pixelAt(surface.get(), 34, 20).b, 255);
}

TEST(Paint, GradientRunsFromStartToEnd) {
    auto surface = rendertest::makeSurface(10, 100);
    auto cr = rendertest::makeContext(surface.get());
    render::fillLinearGradient(cr.get(), CGRectMake(0, 0, 10, 100), {kRed, kBlue}, {0, 1}, {0, 0}, {0, 1});
    auto top = pixelAt(surface.get(), 5, 0);
    auto bottom = pixelAt(surface.get(), 5, 99);
    EXPECT_GT(top.r, 245);
    EXPECT_LT(top.b, 10);
    EXPECT_GT(bottom.b, 245);
    int previousRed = 256;
    for (int y = 0; y < 100; y += 10) {
        const int red = pixelAt(surface.get(), 5, y).r;
        EXPECT_LE(red, previousRed);
        previousRed = red;
    }
}

TEST(Paint, GradientLocationsHoldColoursBeyondTheirStops) {
    auto surface = rendertest::makeSurface(100, 10);
    auto cr = rendertest::makeContext(surface.get());
    render::fillLinearGradient(cr.get(), CGRectMake(0, 0, 100, 10), {kRed, kBlue}, {0.4, 0.6}, {0, 0.5},
                               {1, 0.5});
    EXPECT_EQ(pixelAt(surface.get(), 10, 5).r, 255);
    EXPECT_EQ(pixelAt(surface.get(), 90, 5).b, 255);
}

TEST(Paint, AlphaComposesOverWhatIsBelow) {
    auto surface = rendertest::makeSurface(4, 4);
    auto cr = rendertest::makeContext(surface.get());
    render::fillRoundedRect(cr.get(), CGRectMake(0, 0, 4, 4), {}, kRed);
    render::fillRoundedRect(cr.get(), CGRectMake(0, 0, 4, 4), {}, {1, 1, 1, 0.5});
    auto p = pixelAt(surface.get(), 2, 2);
    EXPECT_EQ(p.a, 255);
    EXPECT_EQ(p.r, 255);
    EXPECT_NEAR(p.g, 128, 1);
    EXPECT_NEAR(p.b, 128, 1);
}

TEST(Paint, EvenOddFillLeavesTheHoleOfARing) {
    CGPath ring;
    ring.addRect(CGRectMake(0, 0, 30, 30));
    ring.addRect(CGRectMake(10, 10, 10, 10));
    auto surface = rendertest::makeSurface(30, 30);
    auto cr = rendertest::makeContext(surface.get());
    render::fillPath(cr.get(), ring, kRed, render::FillRule::evenOdd);
    EXPECT_EQ(pixelAt(surface.get(), 15, 15).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 5, 5).a, 255);
    render::fillPath(cr.get(), ring, kRed, render::FillRule::nonZero);
    EXPECT_EQ(pixelAt(surface.get(), 15, 15).a, 255);
}

TEST(Paint, DashedStrokeHasGaps) {
    CGPath line;
    line.move({0, 5});
    line.addLine({40, 5});
    render::StrokeStyle style;
    style.lineWidth = 2;
    style.dashPattern = {5, 5};
    auto surface = rendertest::makeSurface(40, 10);
    auto cr = rendertest::makeContext(surface.get());
    render::strokePath(cr.get(), line, kRed, style);
    EXPECT_EQ(pixelAt(surface.get(), 2, 5).a, 255);
    EXPECT_EQ(pixelAt(surface.get(), 7, 5).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 12, 5).a, 255);

    style.dashPattern = {0, 0}; // unusable patterns draw solid rather than fail
    auto solid = rendertest::makeSurface(40, 10);
    auto solidContext = rendertest::makeContext(solid.get());
    render::strokePath(solidContext.get(), line, kRed, style);
    EXPECT_EQ(pixelAt(solid.get(), 7, 5).a, 255);
    EXPECT_EQ(cairo_status(solidContext.get()), CAIRO_STATUS_SUCCESS);
}

CGImageRef checkerImage() {
    // Left half opaque green, right half transparent.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 1, 0);
    cairo_rectangle(cr, 0, 0, 2, 4);
    cairo_fill(cr);
    cairo_destroy(cr);
    return CGImage::adopt(surface);
}

TEST(Paint, ImagesStretchToTheirDestination) {
    auto image = checkerImage();
    auto surface = rendertest::makeSurface(40, 20);
    auto cr = rendertest::makeContext(surface.get());
    render::drawImage(cr.get(), *image, CGRectMake(0, 0, 40, 20));
    EXPECT_EQ(pixelAt(surface.get(), 5, 10).g, 255);
    EXPECT_EQ(pixelAt(surface.get(), 35, 10).a, 0);
    EXPECT_EQ(pixelAt(surface.get(), 0, 0).g, 255) << "edges are not faded by the scaling filter";
}

TEST(Paint, GreatlyShrunkImagesAverageInsteadOfAliasing) {
    // 1-pixel black and white columns drawn at a tenth of their size come out grey.
    cairo_surface_t* source = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 40);
    cairo_t* sourceContext = cairo_create(source);
    for (int x = 0; x < 400; ++x) {
        cairo_set_source_rgb(sourceContext, x % 2, x % 2, x % 2);
        cairo_rectangle(sourceContext, x, 0, 1, 40);
        cairo_fill(sourceContext);
    }
    cairo_destroy(sourceContext);
    auto image = CGImage::adopt(source);
    auto surface = rendertest::makeSurface(40, 4);
    auto cr = rendertest::makeContext(surface.get(), 2);
    render::drawImage(cr.get(), *image, CGRectMake(0, 0, 20, 2));
    for (int x = 0; x < 40; x += 7) {
        EXPECT_NEAR(pixelAt(surface.get(), x, 2).g, 128, 20) << x;
    }
}

TEST(Paint, TemplateImageTakesItsTint) {
    auto image = checkerImage();
    auto surface = rendertest::makeSurface(40, 20);
    auto cr = rendertest::makeContext(surface.get());
    render::drawImage(cr.get(), *image, CGRectMake(0, 0, 40, 20), 1, kBlue);
    auto tinted = pixelAt(surface.get(), 5, 10);
    EXPECT_EQ(tinted.b, 255);
    EXPECT_EQ(tinted.g, 0);
    EXPECT_EQ(pixelAt(surface.get(), 35, 10).a, 0) << "transparent pixels stay transparent";
}

TEST(Paint, ShadowFadesAwayFromTheShape) {
    auto surface = rendertest::makeSurface(100, 100);
    auto cr = rendertest::makeContext(surface.get());
    const CGRect box = CGRectMake(30, 30, 40, 40);
    render::drawShadow(cr.get(), box, 1, {0, 0, 0, 1}, 0.5, {0, 4}, 6,
                       [&](cairo_t* shape) { render::fillRoundedRect(shape, box, {}, kRed); });
    const int inside = pixelAt(surface.get(), 50, 50).a;
    const int near = pixelAt(surface.get(), 50, 76).a;
    const int far = pixelAt(surface.get(), 50, 90).a;
    EXPECT_NEAR(inside, 128, 3);
    EXPECT_GT(near, far);
    EXPECT_GT(near, 0);
    EXPECT_LT(pixelAt(surface.get(), 50, 22).a, pixelAt(surface.get(), 50, 76).a)
        << "the offset moves it down";
}

} // namespace
