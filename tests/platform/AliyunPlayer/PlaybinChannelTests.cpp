#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <gtest/gtest.h>

namespace {

// A peer that ends with packets of ours unread leaves a reset to be reported; what it sent
// before it ended is read first, and only then its end.
TEST(PlaybinChannel, WhatAPeerSentBeforeItEndedWithOurPacketsUnreadIsReadBeforeItsEnd) {
    int sockets[2];
    ASSERT_TRUE(makePlaybinSocketPair(sockets));
    PlaybinChannel application(sockets[0]);
    {
        PlaybinChannel helper(sockets[1]);
        ASSERT_TRUE(application.send({{"command", "pause"}, {"paused", true}}));
        ASSERT_TRUE(helper.send({{"event", "ready"}}));
        ASSERT_TRUE(helper.send({{"event", "alive"}}));
    }
    PlaybinChannel::Received received;
    ASSERT_EQ(application.receive(received), PlaybinChannel::Outcome::Message);
    EXPECT_EQ(received.message["event"], "ready");
    ASSERT_EQ(application.receive(received), PlaybinChannel::Outcome::Message);
    EXPECT_EQ(received.message["event"], "alive");
    EXPECT_EQ(application.receive(received), PlaybinChannel::Outcome::Closed);
}

} // namespace
