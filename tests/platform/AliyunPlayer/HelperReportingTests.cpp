// How the helper's reports and pictures reach the application when its socket has no room
// for a while (the application not reading, for a moment or for good).
#include "platform/AliyunPlayer/PlaybinChannel.h"
#include "platform/AliyunPlayer/helper/PendingReports.h"
#include "platform/AliyunPlayer/helper/PicturePublisher.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

namespace {

class FullSocketTest : public ::testing::Test {
  protected:
    void SetUp() override {
        int sockets[2];
        ASSERT_TRUE(makePlaybinSocketPair(sockets));
        application_ = std::make_unique<PlaybinChannel>(sockets[0]);
        helper_ = std::make_unique<PlaybinChannel>(sockets[1]);
    }

    // Sends until the application's side takes no more.
    void fill() {
        while (helper_->send({{"event", "alive"}})) {
        }
    }
    // Reads everything waiting; the events other than "alive", in order.
    std::vector<std::string> drain() {
        std::vector<std::string> events;
        PlaybinChannel::Received received;
        while (application_->receive(received) == PlaybinChannel::Outcome::Message) {
            if (received.descriptor >= 0) {
                ::close(received.descriptor);
                received.descriptor = -1;
            }
            if (received.message["event"] != "alive") {
                events.push_back(received.message["event"]);
            }
        }
        return events;
    }
    void publish(PicturePublisher& pictures) {
        const std::vector<std::uint8_t> pixels(16 * 4 * 16, 0x80);
        pictures.publish(1, 16, 16, pixels.data(), 16 * 4);
    }

    std::unique_ptr<PlaybinChannel> application_;
    std::unique_ptr<PlaybinChannel> helper_;
};

// A ring whose announcement found no room is announced with the next picture; a picture
// whose announcement found no room gives its slot back, so that pictures go on once
// there is room again.
TEST_F(FullSocketTest, PicturesThatFindNoRoomLoseNeitherTheirRingNorTheirSlots) {
    PicturePublisher pictures(*helper_);
    fill();
    publish(pictures);
    EXPECT_EQ(drain(), std::vector<std::string>{});
    publish(pictures);
    EXPECT_EQ(drain(), (std::vector<std::string>{"ring", "frame"}));

    fill();
    for (int picture = 0; picture < 2 * PicturePublisher::ringSlots; ++picture) {
        publish(pictures);
    }
    drain();
    // Slot 0 is still the application's: every other slot takes a picture.
    for (int picture = 0; picture < PicturePublisher::ringSlots - 1; ++picture) {
        publish(pictures);
    }
    EXPECT_EQ(drain(), std::vector<std::string>(PicturePublisher::ringSlots - 1, "frame"));
}

// A report that found no room is sent once there is room, in order; one the application
// never makes room for leaves the helper stuck, so that it ends.
TEST_F(FullSocketTest, ReportsThatFindNoRoomAreSentLaterInOrder) {
    PendingReports reports(*helper_);
    fill();
    reports.add({{"event", "ready"}});
    reports.add({{"event", "state"}});
    EXPECT_FALSE(reports.empty());
    EXPECT_EQ(drain(), std::vector<std::string>{});
    reports.flush();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(drain(), (std::vector<std::string>{"ready", "state"}));
    EXPECT_FALSE(reports.stuck());
}

} // namespace
