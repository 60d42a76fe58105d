#include "platform/ImageIO/CGImageSource.h"
#include "tests/platform/render/ImageFixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(CGImageSource, GIFFramesWithStoredAndShownDelays) {
    auto gif =
        imagefixtures::gif(3, 2,
                           {imagefixtures::solidFrame(3, 2, 1, 10), imagefixtures::solidFrame(3, 2, 2, 0),
                            imagefixtures::solidFrame(3, 2, 3, 4)});
    CGImageSourceRef source = CGImageSourceCreateWithData(gif);
    ASSERT_TRUE(source);
    ASSERT_EQ(CGImageSourceGetCount(source), 3u);
    ASSERT_TRUE(CGImageSourceCreateImageAtIndex(source, 2));
    EXPECT_EQ(CGImageSourceCreateImageAtIndex(source, 2)->width(), 3);
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(source, 3));

    auto first = CGImageSourceCopyPropertiesAtIndex(source, 0);
    ASSERT_TRUE(first && first->gif);
    EXPECT_DOUBLE_EQ(*first->gif->unclampedDelayTime, 0.1);
    EXPECT_DOUBLE_EQ(*first->gif->delayTime, 0.1);
    auto zero = CGImageSourceCopyPropertiesAtIndex(source, 1);
    EXPECT_DOUBLE_EQ(*zero->gif->unclampedDelayTime, 0);
    EXPECT_DOUBLE_EQ(*zero->gif->delayTime, 0.1);
    auto fast = CGImageSourceCopyPropertiesAtIndex(source, 2);
    EXPECT_DOUBLE_EQ(*fast->gif->unclampedDelayTime, 0.04);
    EXPECT_DOUBLE_EQ(*fast->gif->delayTime, 0.04);
    EXPECT_EQ(fast->pixelWidth, 3);
    EXPECT_FALSE(CGImageSourceCopyPropertiesAtIndex(source, 3));
}

TEST(CGImageSource, StillImagesHaveOneFrameWithoutGIFProperties) {
    CGImageSourceRef source = CGImageSourceCreateWithData(imagefixtures::png(5, 4));
    ASSERT_TRUE(source);
    EXPECT_EQ(CGImageSourceGetCount(source), 1u);
    auto properties = CGImageSourceCopyPropertiesAtIndex(source, 0);
    ASSERT_TRUE(properties);
    EXPECT_FALSE(properties->gif);
    EXPECT_EQ(properties->pixelHeight, 4);
}

TEST(CGImageSource, UnreadableDataMakesNoSource) {
    EXPECT_FALSE(CGImageSourceCreateWithData("GIF89a but not really"));
    EXPECT_FALSE(CGImageSourceCreateWithData(""));
    EXPECT_EQ(CGImageSourceGetCount(nullptr), 0u);
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(nullptr, 0));
}

} // namespace
