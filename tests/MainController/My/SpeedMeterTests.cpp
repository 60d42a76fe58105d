// The speed meter: its formatting and its sampling of the byte counters.
#include "MainController/My/Model/KKsummarizepresentation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(SpeedMeter, FormatsBytesKilobytesMegabytesAndGigabytes) {
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(0), "0B/秒");
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(1023), "1023B/秒");
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(1024), "1.0KB/秒");
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(1048575), "1024.0KB/秒");
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(1048576), "1.00MB/秒");
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(1073741824), "1.00GB/秒");
    EXPECT_EQ(KKsummarizepresentation::formatNetWork(-5), "0B/秒");
}

TEST(SpeedMeter, AnswersBytesPerSecondOnceASecondAndNothingForACounterThatWentBack) {
    std::uint64_t counter = 5000;
    double now = 100;
    KKsummarizepresentation meter([&] { return counter; }, [&] { return now; });
    EXPECT_EQ(meter.getInternetSpeed(), "0B/秒");
    counter += 4096;
    now += 2;
    EXPECT_EQ(meter.getInternetSpeed(), "2.0KB/秒");
    // Asked again within the second: the same text, no new sample.
    counter += 1 << 20;
    now += 0.5;
    EXPECT_EQ(meter.getInternetSpeed(), "2.0KB/秒");
    now += 0.5;
    EXPECT_EQ(meter.getInternetSpeed(), "1.00MB/秒");
    counter = 10;
    now += 1;
    EXPECT_EQ(meter.getInternetSpeed(), "0B/秒");
}

TEST(SpeedMeter, CountsReceivedBytesOfEveryInterfaceButLoopback) {
    const auto path = std::filesystem::temp_directory_path() / "orvex-speed-meter-net-dev";
    {
        std::ofstream file(path);
        file << "Inter-|   Receive                                                |  Transmit\n"
                " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets\n"
                "    lo: 900000    100    0    0    0     0          0         0   900000    100\n"
                "  eth0: 5000000000 200   0    0    0     0          0         0   1234       5\n"
                " wlan0:   250      3    0    0    0     0          0         0   0          0\n";
    }
    EXPECT_EQ(KKsummarizepresentation::interfaceBytesFromFile(path.string()), 5000000250u);
    std::filesystem::remove(path);
    EXPECT_EQ(KKsummarizepresentation::interfaceBytesFromFile("/nonexistent/net/dev"), 0u);
}

} // namespace
