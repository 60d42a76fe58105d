#include "platform/render/Blur.h"
#include "tests/platform/render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using rendertest::pixelAt;

// An opaque picture filled by `paint` (a context in pixels).
CGImageRef picture(int width, int height, void (*paint)(cairo_t*, int, int)) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    paint(cr, width, height);
    cairo_destroy(cr);
    return CGImage::adopt(surface);
}

TEST(Blur, AUniformPictureKeepsItsColourUpToItsBorders) {
    const auto green = picture(40, 30, [](cairo_t* cr, int, int) {
        cairo_set_source_rgb(cr, 10 / 255.0, 200 / 255.0, 30 / 255.0);
        cairo_paint(cr);
    });
    const auto blurred = render::blurredImage(*green, 4);
    ASSERT_NE(blurred, nullptr);
    ASSERT_EQ(blurred->width(), 40);
    ASSERT_EQ(blurred->height(), 30);
    for (const auto& [x, y] : {std::pair{0, 0}, {39, 0}, {0, 29}, {39, 29}, {20, 15}}) {
        const auto pixel = pixelAt(blurred->surface(), x, y);
        EXPECT_EQ(pixel.a, 255) << x << "," << y;
        EXPECT_NEAR(pixel.r, 10, 1) << x << "," << y;
        EXPECT_NEAR(pixel.g, 200, 1) << x << "," << y;
        EXPECT_NEAR(pixel.b, 30, 1) << x << "," << y;
    }
}

TEST(Blur, AnEdgeBecomesASmoothRampAndTranslucencyStaysConsistent) {
    const auto halves = picture(64, 8, [](cairo_t* cr, int width, int height) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, width / 2, 0, width / 2, height);
        cairo_fill(cr);
    });
    const auto blurred = render::blurredImage(*halves, 3);
    ASSERT_NE(blurred, nullptr);
    int previous = -1;
    for (int x = 0; x < 64; ++x) {
        const int value = pixelAt(blurred->surface(), x, 4).g;
        EXPECT_GE(value, previous) << x;
        if (previous >= 0) {
            EXPECT_LT(value - previous, 60) << "a step at " << x;
        }
        previous = value;
    }
    EXPECT_EQ(pixelAt(blurred->surface(), 0, 4).g, 0);
    EXPECT_EQ(pixelAt(blurred->surface(), 63, 4).g, 255);
    EXPECT_NEAR(pixelAt(blurred->surface(), 31, 4).g + pixelAt(blurred->surface(), 32, 4).g, 255, 20);
    // Too small a blur changes nothing.
    const auto same = render::blurredImage(*halves, 0.2);
    EXPECT_EQ(pixelAt(same->surface(), 31, 4).g, 0);
    EXPECT_EQ(pixelAt(same->surface(), 32, 4).g, 255);

    // Half transparent: every colour component stays within its alpha (premultiplied).
    const auto glass = picture(32, 32, [](cairo_t* cr, int width, int height) {
        cairo_set_source_rgba(cr, 1, 0.5, 0, 1);
        cairo_rectangle(cr, 0, 0, width / 2, height);
        cairo_fill(cr);
    });
    const auto soft = render::blurredImage(*glass, 5);
    for (int x = 0; x < 32; ++x) {
        const auto pixel = pixelAt(soft->surface(), x, 16);
        EXPECT_LE(pixel.r, pixel.a) << x;
        EXPECT_LE(pixel.g, pixel.a) << x;
    }
    EXPECT_EQ(pixelAt(soft->surface(), 31, 16).a, 0);
    EXPECT_EQ(pixelAt(soft->surface(), 0, 16).a, 255);
}

} // namespace
