#include "platform/UIKit/UIGraphics.h"
#include "platform/UIKit/UIImage.h"
#include "platform/render/Paint.h"
#include "tests/platform/render/ImageFixtures.h"
#include "tests/platform/render/RenderTestSupport.h"

#include <gtest/gtest.h>

namespace {

using rendertest::pixelAt;

TEST(UIImage, DataGivesSizeInPointsAtTheScale) {
    auto image = UIImage::imageWithData(imagefixtures::png(40, 20), 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(20, 10));
    EXPECT_EQ(image->scale(), 2);
    EXPECT_TRUE(image->images().empty());
    EXPECT_FALSE(UIImage::imageWithData("garbage"));
    EXPECT_FALSE(UIImage::imageWithData(""));
}

TEST(UIImage, SVGDataIsRenderedAtTheScreenScale) {
    auto image = UIImage::imageWithData(imagefixtures::kSVG, 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(10, 20));
    EXPECT_EQ(image->CGImage()->width(), int(10 * image->scale()));
}

TEST(UIImage, AnimatedGIFKeepsFramesAndDelays) {
    auto gif =
        imagefixtures::gif(4, 4,
                           {imagefixtures::solidFrame(4, 4, 1, 10), imagefixtures::solidFrame(4, 4, 2, 20),
                            imagefixtures::solidFrame(4, 4, 3, 0)});
    auto image = UIImage::imageWithData(gif);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->images().size(), 3u);
    EXPECT_DOUBLE_EQ(image->frameDurations()[0], 0.1);
    EXPECT_DOUBLE_EQ(image->frameDurations()[1], 0.2);
    EXPECT_DOUBLE_EQ(image->frameDurations()[2], 0.1) << "a zero delay is shown for 100 ms";
    EXPECT_NEAR(image->duration(), 0.4, 1e-12);
    EXPECT_EQ(image->size(), CGSizeMake(4, 4));
    EXPECT_EQ(&image->imageAtTime(0.05), image->images()[0].get());
    EXPECT_EQ(&image->imageAtTime(0.15), image->images()[1].get());
    EXPECT_EQ(&image->imageAtTime(0.35), image->images()[2].get());
    EXPECT_EQ(&image->imageAtTime(0.45), image->images()[0].get()) << "loops";
}

TEST(UIImage, AnimatedImageFromImagesSharesTheDuration) {
    auto a = UIImage::imageWithData(imagefixtures::png(2, 2));
    auto b = UIImage::imageWithData(imagefixtures::png(2, 2));
    auto animated = UIImage::animatedImageWithImages({a, nullptr, b}, 0.6);
    ASSERT_TRUE(animated);
    ASSERT_EQ(animated->images().size(), 2u);
    EXPECT_DOUBLE_EQ(animated->frameDurations()[1], 0.3);
    EXPECT_EQ(&animated->imageAtTime(0.4), b.get());
    EXPECT_FALSE(UIImage::animatedImageWithImages({}, 1));
    auto still = UIImage::animatedImageWithImages({a}, 0);
    EXPECT_EQ(&still->imageAtTime(3), a.get());
}

TEST(UIImage, RenderingModeMakesATemplateOfTheSamePixels) {
    auto image = UIImage::imageWithData(imagefixtures::png(2, 2));
    auto templateImage = image->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(templateImage->renderingMode(), UIImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(image->renderingMode(), UIImageRenderingMode::automatic);
    EXPECT_EQ(templateImage->CGImage(), image->CGImage());
}

TEST(UIImage, NamedResourcesAndSymbols) {
    auto symbol = UIImage::systemImageNamed("play.circle");
    ASSERT_TRUE(symbol);
    EXPECT_EQ(symbol->renderingMode(), UIImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(symbol->size(), CGSizeMake(24, 24));
    EXPECT_EQ(UIImage::systemImageNamed("play.circle"), symbol) << "kept after the first load";
    EXPECT_TRUE(UIImage::systemImageNamed("play.tv"));
    EXPECT_TRUE(UIImage::systemImageNamed("speaker.wave.3.fill"));
    EXPECT_FALSE(UIImage::systemImageNamed("no.such.symbol"));
    EXPECT_FALSE(UIImage::imageNamed("no-such-image"));
    EXPECT_FALSE(UIImage::imageNamed(""));
}

TEST(UIImage, EmptyImageHasNoSize) {
    UIImage empty;
    EXPECT_EQ(empty.size(), CGSizeZero);
    EXPECT_FALSE(empty.CGImage());
}

TEST(UIGraphics, ImageContextCapturesDrawing) {
    UIGraphicsBeginImageContextWithOptions({10, 5}, false, 2);
    CGContext* context = UIGraphicsGetCurrentContext();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->scale(), 2);
    render::fillRoundedRect(context->cairo(), CGRectMake(0, 0, 5, 5), {}, {0, 0, 1, 1});
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    render::fillRoundedRect(context->cairo(), CGRectMake(5, 0, 5, 5), {}, {0, 0, 1, 1});
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(10, 5));
    EXPECT_EQ(image->CGImage()->width(), 20);
    EXPECT_EQ(pixelAt(image->CGImage()->surface(), 2, 2).b, 255);
    EXPECT_EQ(pixelAt(image->CGImage()->surface(), 15, 2).a, 0)
        << "drawing after the snapshot is not in the image";
}

TEST(UIGraphics, ContextsNestAndEmptySizesMakeNone) {
    UIGraphicsBeginImageContext({4, 4});
    CGContext* outer = UIGraphicsGetCurrentContext();
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->scale(), 1);
    UIGraphicsBeginImageContext({0, 10});
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    UIGraphicsEndImageContext();
    UIGraphicsEndImageContext(); // one End too many is harmless
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
}

TEST(UIImage, ColourImageIsOnePointOfTheColour) {
    auto image = UIImage::qmui_imageWithColor(UIColor::colorWithRed(1, 0, 0, 1));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(1, 1));
    EXPECT_EQ(pixelAt(image->CGImage()->surface(), 0, 0).r, 255);
}

} // namespace
