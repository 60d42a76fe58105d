#include "platform/CoreGraphics/CGImage.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

CGImageRef stripes(int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    auto* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            row[x] = x % 2 == 0 ? 0xFFFFFFFFu : 0x00000000u; // white and transparent columns
        }
    }
    cairo_surface_mark_dirty(surface);
    return CGImage::adopt(surface);
}

TEST(CGImage, AdoptRefusesWhatIsNotAnARGBImage) {
    EXPECT_FALSE(CGImage::adopt(nullptr));
    EXPECT_FALSE(CGImage::adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, 2, 2)));
    EXPECT_FALSE(CGImage::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, 2)));
    auto image = CGImage::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 2));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 3);
    EXPECT_EQ(image->height(), 2);
}

TEST(CGImage, ReductionsHalveAndAverage) {
    auto image = stripes(9, 4);
    const CGImage& half = image->reduced(1);
    EXPECT_EQ(half.width(), 5);
    EXPECT_EQ(half.height(), 2);
    cairo_surface_flush(half.surface());
    const auto* pixel = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(half.surface()));
    EXPECT_EQ(pixel[0], 0x80808080u) << "half-covered white, premultiplied";
    EXPECT_EQ(pixel[4], 0xFFFFFFFFu) << "the odd last column is averaged with itself";
    EXPECT_EQ(&image->reduced(1), &half) << "kept with the image";
    EXPECT_EQ(&image->reduced(0), image.get());
    const CGImage& smallest = image->reduced(10);
    EXPECT_EQ(smallest.width(), 1);
    EXPECT_EQ(smallest.height(), 1);
}

} // namespace
