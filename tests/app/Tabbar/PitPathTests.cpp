#include "app/Tabbar/PitPath.h"

#include <gtest/gtest.h>

namespace {

using Type = CGPath::ElementType;

TEST(PitPath, FullDepthPitFromAPointOfTheTopLine) {
    CGMutablePath path;
    path.move({100, 0});
    const AHPit pit = addPit(path, 100, 0, 40, 1);

    EXPECT_EQ(pit.endPoint, (CGPoint{190, 0}));
    EXPECT_EQ(path.currentPoint(), (CGPoint{190, 0}));
    EXPECT_EQ(pit.guideRects[0], CGRectMake(100, 0, 20, 20));
    EXPECT_EQ(pit.guideRects[1], CGRectMake(120, 0, 40, 40));
    EXPECT_EQ(pit.guideRects[2], CGRectMake(160, 0, 20, 20));

    const auto& elements = path.elements();
    ASSERT_EQ(elements.size(), 3u);
    const auto& down = elements[1];
    const auto& up = elements[2];
    ASSERT_EQ(down.type, Type::addCurveToPoint);
    ASSERT_EQ(up.type, Type::addCurveToPoint);
    // Control points, then the end point: flat where the pit leaves the line, at its
    // bottom (145, 40) and where it rejoins the line.
    EXPECT_EQ(down.points[0], (CGPoint{125, 0}));
    EXPECT_EQ(down.points[1], (CGPoint{105, 40}));
    EXPECT_EQ(down.points[2], (CGPoint{145, 40}));
    EXPECT_EQ(up.points[0], (CGPoint{185, 40}));
    EXPECT_EQ(up.points[1], (CGPoint{165, 0}));
    EXPECT_EQ(up.points[2], (CGPoint{190, 0}));
}

TEST(PitPath, ScaleZeroFlattensThePitToTheTopLine) {
    CGMutablePath path;
    path.move({10, 0});
    const AHPit pit = addPit(path, 10, 0, 40, 0);
    for (std::size_t i = 1; i < path.elements().size(); ++i) {
        for (const CGPoint& point : path.elements()[i].points) {
            EXPECT_EQ(point.y, 0);
        }
    }
    for (const CGRect& rect : pit.guideRects) {
        EXPECT_EQ(rect.size.height, 0);
    }
    EXPECT_EQ(pit.endPoint, (CGPoint{100, 0}));
}

TEST(PitPath, OutlineRunsAlongTheTopThroughThePitAndAroundTheBar) {
    std::array<CGRect, 3> guides{};
    const CGPath outline = pitOutline({375, 49}, pitLeftForCentre(100, 40), 40, 1, &guides);
    const auto& e = outline.elements();
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(e[0].type, Type::moveToPoint);
    EXPECT_EQ(e[0].points[0], (CGPoint{0, 0}));
    EXPECT_EQ(e[1].points[0], (CGPoint{55, 0}));
    EXPECT_EQ(e[2].type, Type::addCurveToPoint);
    EXPECT_EQ(e[2].points[2], (CGPoint{100, 40})); // the pit is centred on 100
    EXPECT_EQ(e[3].points[2], (CGPoint{145, 0}));
    EXPECT_EQ(e[4].points[0], (CGPoint{375, 0}));
    EXPECT_EQ(e[5].points[0], (CGPoint{375, 49}));
    EXPECT_EQ(e[6].points[0], (CGPoint{0, 49}));
    EXPECT_EQ(e[7].points[0], (CGPoint{0, 0}));
    EXPECT_EQ(e[7].type, Type::addLineToPoint); // not explicitly closed
    EXPECT_EQ(guides[1], CGRectMake(75, 0, 40, 40));
}

TEST(PitPath, OutlinesOfOneBarInterpolateForTheSlideAnimation) {
    const CGPath from = pitOutline({375, 49}, pitLeftForCentre(47, 40), 40, 1.0);
    const CGPath to = pitOutline({375, 49}, pitLeftForCentre(328, 40), 40, 0.64);
    EXPECT_TRUE(CGPath::interpolate(from, to, 0.5).has_value());
}

TEST(PitPath, MiddleDepthScaleShrinksWithTheLengthOfTheMove) {
    EXPECT_DOUBLE_EQ(pitMiddleDepthScale(120, 120, 375), 0.8);
    EXPECT_NEAR(pitMiddleDepthScale(40, 340, 375), 0.64, 1e-12);
    EXPECT_NEAR(pitMiddleDepthScale(340, 40, 375), 0.64, 1e-12);
    EXPECT_NEAR(pitMiddleDepthScale(0, 375, 375), 0.6, 1e-12);
    // The factor is (0.6 - 0.8) as computed in double precision, not exactly -0.2.
    EXPECT_EQ(pitMiddleDepthScale(0, 375, 375), 0.8 + (0.6 - 0.8));
}

TEST(PitPath, BarWithoutWidthKeepsTheMiddleDepthFinite) {
    EXPECT_DOUBLE_EQ(pitMiddleDepthScale(0, 50, 0), 0.8);
    EXPECT_DOUBLE_EQ(pitMiddleDepthScale(0, 50, -10), 0.8);
}

} // namespace
