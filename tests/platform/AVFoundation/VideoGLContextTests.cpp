#include "platform/AVFoundation/Media/VideoFrame.h"
#include "platform/AVFoundation/Media/VideoGLContext.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<VideoGLContext> lentContext() {
    auto context = std::make_shared<VideoGLContext>([](const char*) -> void* { return nullptr; });
    VideoGLContext::lend(context);
    return context;
}

TEST(VideoGLContext, WithdrawingReleasesWhatUsersHoldWhileTheContextIsStillThere) {
    auto context = lentContext();
    EXPECT_EQ(VideoGLContext::current(), context);
    std::vector<std::string> deleted;
    auto shown = VideoFrame::makeTexture(16, 9, 5, context, [&] { deleted.push_back("shown"); });
    auto pooled = VideoFrame::makeTexture(16, 9, 6, context, [&] { deleted.push_back("pooled"); });
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->texture(), 5u);
    EXPECT_EQ(shown->surface(), nullptr);
    EXPECT_FALSE(shown->isBlank());

    bool contextWasAlive = false;
    auto renderer = context->onWithdrawal([&] {
        contextWasAlive = context->isAlive();
        pooled.reset();
    });
    int droppedRuns = 0;
    context->onWithdrawal([&] { ++droppedRuns; }).reset();
    context->withdraw();
    EXPECT_TRUE(contextWasAlive) << "users let go while the context can still delete";
    EXPECT_EQ(droppedRuns, 0) << "a dropped token runs nothing";
    EXPECT_EQ(deleted, std::vector<std::string>{"pooled"});
    EXPECT_EQ(VideoGLContext::current(), nullptr) << "engines made later draw into memory";

    EXPECT_EQ(shown->texture(), 0u) << "a texture of a closed window shows nothing";
    shown.reset();
    EXPECT_EQ(deleted.size(), 1u) << "its texture went with the context";
}

TEST(VideoGLContext, AFrameDroppedEarlierDeletesItsTexture) {
    auto context = lentContext();
    int deletions = 0;
    VideoFrame::makeTexture(4, 4, 9, context, [&] { ++deletions; }).reset();
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(VideoFrame::makeTexture(4, 4, 0, context, {}), nullptr);
    context->withdraw();
}

} // namespace
