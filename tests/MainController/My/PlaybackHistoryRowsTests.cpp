#include "MainController/My/View/PlaybackHistoryRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::shared_ptr<SJPlaybackRecord> record(std::optional<std::string> vodId,
                                         std::optional<std::string> episode = {}, double position = 0) {
    auto made = std::make_shared<SJPlaybackRecord>();
    made->vodId = std::move(vodId);
    made->episode = std::move(episode);
    made->position = position;
    return made;
}

} // namespace

TEST(PlaybackHistoryRows, EachTitleKeepsItsFirstRecordAndRecordsWithoutAnIdAreOneTitle) {
    const auto a1 = record("a");
    const auto b1 = record("b");
    const auto a2 = record("a");
    const auto none = record(std::nullopt);
    const auto empty = record("");
    const auto a3 = record("a");
    EXPECT_EQ(newestPerTitle({a1, b1, a2, none, empty, a3}),
              (std::vector<std::shared_ptr<SJPlaybackRecord>>{a1, b1, none}));
    EXPECT_TRUE(newestPerTitle({}).empty());
    EXPECT_EQ(titleId(*empty), std::nullopt);
    EXPECT_EQ(titleId(*a1), "a");
}

TEST(PlaybackHistoryRows, TheProgressLineReadsTheEpisodeAndAWholeSecondPosition) {
    EXPECT_EQ(progressText(*record("a", "第2集", 3725.9)), "观看至:第2集 01:02:05");
    EXPECT_EQ(progressText(*record("a", "正片", 59)), "观看至:正片 00:59");
    EXPECT_EQ(progressText(*record("a", std::nullopt, 59)), std::nullopt);
    // Positions the store should never hold still give a readable line.
    EXPECT_EQ(progressText(*record("a", "1", -15)), "观看至:1 00:00");
    EXPECT_EQ(progressText(*record("a", "1", std::nan(""))), "观看至:1 00:00");
    EXPECT_EQ(progressText(*record("a", "1", std::numeric_limits<double>::infinity())), "观看至:1 00:00");
    EXPECT_EQ(progressText(*record("a", "1", 1e30)), "观看至:1 596523:14:07");
}
