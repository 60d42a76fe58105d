#include "platform/render/ImageDecoding.h"
#include "tests/platform/render/ImageFixtures.h"
#include "tests/platform/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

namespace {

using rendertest::pixelAt;

TEST(ImageDecoding, FormatsAreToldByTheirFirstBytes) {
    EXPECT_EQ(render::sniffImageFormat(imagefixtures::png(2, 2)), render::ImageFormat::png);
    EXPECT_EQ(render::sniffImageFormat(imagefixtures::pixbufEncoded("jpeg", 2, 2)),
              render::ImageFormat::jpeg);
    EXPECT_EQ(render::sniffImageFormat(imagefixtures::gif(1, 1, {imagefixtures::solidFrame(1, 1, 1, 10)})),
              render::ImageFormat::gif);
    EXPECT_EQ(render::sniffImageFormat(imagefixtures::kSVG), render::ImageFormat::svg);
    EXPECT_EQ(render::sniffImageFormat("\xEF\xBB\xBF  <?xml version=\"1.0\"?><svg/>"),
              render::ImageFormat::svg);
    EXPECT_EQ(render::sniffImageFormat("<html></html>"), render::ImageFormat::other);
    EXPECT_EQ(render::sniffImageFormat(""), render::ImageFormat::other);
}

TEST(ImageDecoding, PNGKeepsSizeAndPremultipliesAlpha) {
    auto decoded = render::decodeImage(imagefixtures::png(6, 3), 2);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->frames.size(), 1u);
    const CGImage& image = *decoded->frames[0].image;
    EXPECT_EQ(image.width(), 6);
    EXPECT_EQ(image.height(), 3);
    EXPECT_EQ(decoded->scale, 1) << "raster images are not scaled";
    auto opaque = pixelAt(image.surface(), 3, 1);
    EXPECT_EQ(opaque.a, 255);
    EXPECT_EQ(opaque.r, 255);
    auto half = pixelAt(image.surface(), 0, 0);
    EXPECT_NEAR(half.a, 128, 1);
    EXPECT_NEAR(half.b, 128, 1);
    EXPECT_EQ(half.r, 0);
}

TEST(ImageDecoding, JPEGAndWebP) {
    for (const char* type : {"jpeg", "webp"}) {
        const std::string bytes = imagefixtures::pixbufEncoded(type, 8, 5);
        ASSERT_FALSE(bytes.empty()) << type;
        auto image = render::decodeRaster(bytes);
        ASSERT_TRUE(image) << type;
        EXPECT_EQ(image->width(), 8);
        EXPECT_EQ(image->height(), 5);
        auto p = pixelAt(image->surface(), 4, 2);
        EXPECT_EQ(p.a, 255) << type;
        EXPECT_NEAR(p.g, 0xC0, 6) << type;
        EXPECT_LT(p.r, 10) << type;
    }
}

TEST(ImageDecoding, SVGIsRenderedAtTheRequestedScale) {
    auto decoded = render::decodeImage(imagefixtures::kSVG, 2);
    ASSERT_TRUE(decoded);
    const CGImage& image = *decoded->frames[0].image;
    EXPECT_EQ(image.width(), 20);
    EXPECT_EQ(image.height(), 40);
    EXPECT_EQ(decoded->scale, 2);
    EXPECT_EQ(pixelAt(image.surface(), 10, 10).r, 255);
    EXPECT_EQ(pixelAt(image.surface(), 10, 30).a, 0);

    // Without width and height the view box gives the size.
    auto viewBoxOnly =
        render::renderSVG(R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 12"/>)", 3);
    ASSERT_TRUE(viewBoxOnly);
    EXPECT_EQ(viewBoxOnly->width(), 72);
    EXPECT_EQ(viewBoxOnly->height(), 36);
}

TEST(ImageDecoding, GIFFramesKeepTheirDelaysAndCompose) {
    using imagefixtures::GifFrame;
    GifFrame first = imagefixtures::solidFrame(4, 4, 1, 10);
    GifFrame second = imagefixtures::solidFrame(2, 2, 2, 20); // a green square over the red
    second.left = 2;
    second.top = 2;
    GifFrame third = imagefixtures::solidFrame(4, 4, 3, 30);
    third.indices[0] = 0;
    third.transparentIndex = 0; // the top-left pixel shows the frame below
    auto frames = render::decodeGIF(imagefixtures::gif(4, 4, {first, second, third}));
    ASSERT_TRUE(frames);
    ASSERT_EQ(frames->size(), 3u);
    EXPECT_DOUBLE_EQ(*(*frames)[0].delay, 0.1);
    EXPECT_DOUBLE_EQ(*(*frames)[1].delay, 0.2);
    EXPECT_DOUBLE_EQ(*(*frames)[2].delay, 0.3);
    EXPECT_EQ(pixelAt((*frames)[1].image->surface(), 0, 0).r, 255)
        << "earlier frame stays under a smaller one";
    EXPECT_EQ(pixelAt((*frames)[1].image->surface(), 3, 3).g, 255);
    EXPECT_EQ(pixelAt((*frames)[2].image->surface(), 1, 1).b, 255);
    EXPECT_EQ(pixelAt((*frames)[2].image->surface(), 0, 0).r, 255)
        << "transparent index shows what was there";
}

TEST(ImageDecoding, GIFDisposalClearsOrRestores) {
    using imagefixtures::GifFrame;
    GifFrame base = imagefixtures::solidFrame(4, 4, 1, 10);
    GifFrame cleared = imagefixtures::solidFrame(2, 2, 2, 10);
    cleared.disposal = DISPOSE_BACKGROUND;
    GifFrame after = imagefixtures::solidFrame(1, 1, 3, 10);
    after.left = 3;
    after.top = 3;
    GifFrame restored = imagefixtures::solidFrame(2, 2, 3, 10);
    restored.disposal = DISPOSE_PREVIOUS;
    GifFrame last = imagefixtures::solidFrame(1, 1, 2, 10);
    last.left = 3;
    auto frames = render::decodeGIF(imagefixtures::gif(4, 4, {base, cleared, after, restored, last}));
    ASSERT_TRUE(frames);
    ASSERT_EQ(frames->size(), 5u);
    EXPECT_EQ(pixelAt((*frames)[2].image->surface(), 0, 0).a, 0) << "the background disposal left a hole";
    EXPECT_EQ(pixelAt((*frames)[2].image->surface(), 3, 0).r, 255);
    EXPECT_EQ(pixelAt((*frames)[4].image->surface(), 0, 0).a, 0) << "restored to before the blue frame";
    EXPECT_EQ(pixelAt((*frames)[4].image->surface(), 3, 0).g, 255);
}

TEST(ImageDecoding, GIFWithoutControlBlockHasNoDelay) {
    auto frame = imagefixtures::solidFrame(2, 2, 1, 0);
    frame.withControl = false;
    auto frames = render::decodeGIF(imagefixtures::gif(2, 2, {frame, frame}));
    ASSERT_TRUE(frames);
    EXPECT_FALSE((*frames)[0].delay.has_value());
}

TEST(ImageDecoding, TheFuzzerSeedsAreValidImagesOfEveryFormat) {
    // The decoding fuzzer starts from these files: each must decode (a GIF animation with
    // every frame; the others show their first).
    std::map<render::ImageFormat, int> formats;
    for (const auto& entry : std::filesystem::directory_iterator(testsupport::sourceDir() /
                                                                 "tests/platform/render/image-seeds")) {
        const auto path = entry.path();
        if (path.extension() == ".sh") {
            continue;
        }
        std::ifstream file(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        EXPECT_LE(bytes.size(), 4096u) << path << " is longer than the fuzzer's inputs";
        const auto format = render::sniffImageFormat(bytes);
        ++formats[format];
        const auto decoded = render::decodeImage(bytes, 1);
        ASSERT_TRUE(decoded) << path;
        EXPECT_GT(decoded->frames.front().image->width(), 0) << path;
        if (format == render::ImageFormat::gif && path.stem().string().starts_with("animated")) {
            EXPECT_GT(decoded->frames.size(), 1u) << path;
        }
    }
    for (const auto format : {render::ImageFormat::png, render::ImageFormat::jpeg, render::ImageFormat::gif,
                              render::ImageFormat::webp, render::ImageFormat::svg}) {
        EXPECT_GE(formats[format], 3) << "too few seeds of format " << static_cast<int>(format);
    }
}

TEST(ImageDecoding, DamagedInputAnswersNothingOrWhatWasComplete) {
    EXPECT_FALSE(render::decodeImage("", 2));
    EXPECT_FALSE(render::decodeImage("not an image at all", 2));
    const std::string png = imagefixtures::png(20, 20);
    EXPECT_FALSE(render::decodeImage(png.substr(0, png.size() / 2), 2));
    EXPECT_FALSE(
        render::decodeImage("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"", 2));

    const std::string gif =
        imagefixtures::gif(8, 8,
                           {imagefixtures::solidFrame(8, 8, 1, 10), imagefixtures::solidFrame(8, 8, 2, 10),
                            imagefixtures::solidFrame(8, 8, 3, 10)});
    for (std::size_t cut = 6; cut < gif.size(); cut += 7) {
        auto frames = render::decodeGIF(gif.substr(0, cut));
        if (frames) {
            EXPECT_LE(frames->size(), 3u);
            EXPECT_GE(frames->size(), 1u);
        }
    }
}

TEST(ImageDecoding, OversizedImagesAreRefused) {
    EXPECT_FALSE(
        render::renderSVG(R"(<svg xmlns="http://www.w3.org/2000/svg" width="100000" height="100000"/>)", 2));
    // A GIF whose screen claims 65535 x 65535 pixels.
    std::string gif = imagefixtures::gif(2, 2, {imagefixtures::solidFrame(2, 2, 1, 10)});
    gif[6] = gif[7] = gif[8] = gif[9] = '\xFF';
    EXPECT_FALSE(render::decodeGIF(gif));
}

TEST(ImageDecoding, DecodesOnSeveralThreadsAtOnce) {
    const std::string png = imagefixtures::png(32, 32);
    const std::string jpeg = imagefixtures::pixbufEncoded("jpeg", 32, 32);
    const std::string gif = imagefixtures::gif(
        4, 4, {imagefixtures::solidFrame(4, 4, 1, 10), imagefixtures::solidFrame(4, 4, 2, 10)});
    std::atomic<int> decoded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                decoded += render::decodeImage(png, 2) ? 1 : 0;
                decoded += render::decodeImage(jpeg, 2) ? 1 : 0;
                decoded += render::decodeImage(gif, 2) ? 1 : 0;
                decoded += render::decodeImage(imagefixtures::kSVG, 2) ? 1 : 0;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(decoded.load(), 160);
}

} // namespace
