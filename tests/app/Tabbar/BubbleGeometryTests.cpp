#include "app/Tabbar/BubbleGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(BubbleGeometry, SizeFollowsTheBarAndItsBottomInset) {
    EXPECT_DOUBLE_EQ(limberBubbleSize(49, 0, true), 39.2);
    EXPECT_DOUBLE_EQ(limberBubbleSize(83, 34, true), 49);
    // A bar that ignores the safe area is always 0.8 of its height.
    EXPECT_DOUBLE_EQ(limberBubbleSize(83, 34, false), 0.8 * 83);
}

TEST(BubbleGeometry, TabsStrictlyBetweenOldAndNewBlink) {
    EXPECT_TRUE(tabsPassedOver(0, 1).empty());
    EXPECT_TRUE(tabsPassedOver(2, 2).empty());
    EXPECT_EQ(tabsPassedOver(0, 2), (std::vector<std::size_t>{1}));
    EXPECT_EQ(tabsPassedOver(3, 0), (std::vector<std::size_t>{1, 2}));
}

TEST(BubbleGeometry, MoveDipsHalfWayAndRestsAboveTheBar) {
    const AHBubbleMove move = limberBubbleMove(20, 120, 49);
    EXPECT_EQ(move.dip, (CGPoint{70, 74.5}));
    EXPECT_EQ(move.rest, (CGPoint{120, 14.5}));
    // Resting, the bubble's top lies 10 points above the bar's top edge.
    EXPECT_DOUBLE_EQ(move.rest.y - 49 / 2.0, -10);
}

} // namespace
