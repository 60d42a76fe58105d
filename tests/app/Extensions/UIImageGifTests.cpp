#include "app/Extensions/UIImageGif.h"
#include "tests/platform/render/ImageFixtures.h"
#include "tests/support/TestSupport.h"

#include "platform/Foundation/AtomicFile.h"

#include <gtest/gtest.h>

namespace {

using imagefixtures::solidFrame;

CGImageRef pixel() {
    return CGImage::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
}

CGImageSource::Frame frame(CGImageRef image, std::optional<double> unclamped, std::optional<double> shown) {
    CGImageSource::Frame result{std::move(image), {}};
    result.properties.gif = CGImageGIFProperties{shown, unclamped};
    return result;
}

std::string captured(const std::function<void()>& work) {
    testing::internal::CaptureStdout();
    work();
    return testing::internal::GetCapturedStdout();
}

TEST(GifImage, FramesRepeatByTheirShareOfTheCommonDelay) {
    const auto data =
        imagefixtures::gif(2, 2, {solidFrame(2, 2, 1, 10), solidFrame(2, 2, 2, 20), solidFrame(2, 2, 3, 30)});
    const auto image = gifImageWithData(data);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->images().size(), 6u);
    EXPECT_DOUBLE_EQ(image->duration(), 0.6);
    EXPECT_EQ(image->images()[1], image->images()[2]);
    EXPECT_EQ(image->images()[3], image->images()[5]);
    EXPECT_NE(image->images()[0], image->images()[1]);
}

TEST(GifImage, DelaysOfOneHundredFiftyAndTwoHundredFiftyShareFifty) {
    const auto data = imagefixtures::gif(1, 1, {solidFrame(1, 1, 1, 15), solidFrame(1, 1, 2, 25)});
    const auto image = gifImageWithData(data);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->images().size(), 3u + 5u);
    EXPECT_DOUBLE_EQ(image->duration(), 0.4);
}

TEST(GifImage, DelaysFallBackToTheShownDelayAndHaveAFloor) {
    auto source = std::make_shared<const CGImageSource>(
        std::vector<CGImageSource::Frame>{frame(pixel(), 0, 0.05), frame(pixel(), 0.04, 0.04),
                                          frame(pixel(), 0.3, 0.3), CGImageSource::Frame{pixel(), {}}});
    EXPECT_DOUBLE_EQ(delayForImageAtIndex(0, source), 0.1);
    EXPECT_DOUBLE_EQ(delayForImageAtIndex(1, source), 0.1);
    EXPECT_DOUBLE_EQ(delayForImageAtIndex(2, source), 0.3);
    EXPECT_DOUBLE_EQ(delayForImageAtIndex(3, source), 0.1); // no GIF timing at all
}

TEST(GifImage, FramesWithoutPicturesLeaveWithTheirDelays) {
    auto source = std::make_shared<const CGImageSource>(std::vector<CGImageSource::Frame>{
        frame(pixel(), 0.2, 0.2), frame(nullptr, 0.1, 0.1), frame(pixel(), 0.4, 0.4)});
    const auto image = animatedImageWithSource(source);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->images().size(), 1u + 2u);
    EXPECT_DOUBLE_EQ(image->duration(), 0.6);

    auto empty =
        std::make_shared<const CGImageSource>(std::vector<CGImageSource::Frame>{frame(nullptr, 0.1, 0.1)});
    EXPECT_EQ(animatedImageWithSource(empty), nullptr);
    EXPECT_EQ(
        animatedImageWithSource(std::make_shared<const CGImageSource>(std::vector<CGImageSource::Frame>{})),
        nullptr);
}

TEST(GifImage, FailuresWriteTheirLines) {
    EXPECT_EQ(captured([] { EXPECT_EQ(gifImageWithData("GIF89a but not really"), nullptr); }),
              "image doesn't exist\n");
    EXPECT_EQ(captured([] { EXPECT_EQ(gifImageWithName("no-such-animation"), nullptr); }),
              "SwiftGif: This image named \"no-such-animation\" does not exist\n");
    EXPECT_EQ(captured([] { EXPECT_EQ(gifImageWithURL("not a url"), nullptr); }),
              "image named \"not a url\" doesn't exist\n");
    const std::string missing = "file://" + (testsupport::dataRoot() / "missing.gif").string();
    EXPECT_EQ(captured([&] { EXPECT_EQ(gifImageWithURL(missing), nullptr); }),
              "image named \"" + missing + "\" into NSData\n");
    EXPECT_EQ(captured([] { EXPECT_EQ(gifImageWithURL("https://127.0.0.1:9/a.gif"), nullptr); }),
              "image named \"https://127.0.0.1:9/a.gif\" into NSData\n");
}

TEST(GifImage, ReadsFileURLs) {
    const auto path = testsupport::freshFolder("gif") / "two frames.gif";
    ASSERT_TRUE(writeFileAtomically(
        path, imagefixtures::gif(1, 1, {solidFrame(1, 1, 1, 10), solidFrame(1, 1, 2, 10)})));
    std::string url = "file://" + path.string();
    url.replace(url.find(' '), 1, "%20");
    const auto image = gifImageWithURL(url);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->images().size(), 2u);
}

} // namespace
