#include "platform/QuartzCore/CAExternalPicture.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

// A layer showing an external picture at a rectangle of its own choosing.
class PictureLayer : public CALayer {
  public:
    PictureLayer() = default;
    PictureLayer(const PictureLayer& other) = default;

    void show(unsigned texture, const CGRect& rect) {
        picture_ = CAExternalPicture{texture, rect};
        setNeedsDisplay();
    }
    std::optional<CAExternalPicture> externalPicture() const override { return picture_; }

  protected:
    std::shared_ptr<CALayer> clone() const override { return std::make_shared<PictureLayer>(*this); }

  private:
    std::optional<CAExternalPicture> picture_;
};

std::shared_ptr<CALayer> coloredLayer(const CGRect& frame, const UIColor& color) {
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    return layer;
}

void expectPoint(CGPoint actual, CGPoint expected, const char* corner) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << corner;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << corner;
}

// A grey screen with a black player area at (20, 40) of 160 x 90 points that masks to its
// bounds, a picture layer filling it, and a red badge above the picture's top left corner.
class ExternalPictures : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        root = coloredLayer(CGRectMake(0, 0, 200, 300), UIColor::grayColor());
        player = coloredLayer(CGRectMake(20, 40, 160, 90), UIColor::blackColor());
        player->setMasksToBounds(true);
        root->addSublayer(player);
        picture = std::make_shared<PictureLayer>();
        picture->setFrame(CGRectMake(0, 0, 160, 90));
        player->addSublayer(picture);
        badge = coloredLayer(CGRectMake(0, 0, 40, 20), UIColor::redColor());
        player->addSublayer(badge);
        CAExternalPictures::add(picture);
    }

    std::shared_ptr<CALayer> root;
    std::shared_ptr<CALayer> player;
    std::shared_ptr<PictureLayer> picture;
    std::shared_ptr<CALayer> badge;
};

TEST_F(ExternalPictures, TheInterfaceHasAHoleWhereThePictureShowsUnderWhatIsDrawnAbove) {
    LayerCompositor compositor(400, 600, 2);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 200, 170).a, 255) << "black player area before any picture";

    // A 4:3 picture fitted into the 16:9 area: a hole of 120 x 90 points in the middle.
    picture->show(7, CGRectMake(20, 0, 120, 90));
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 200, 170).a, 0) << "the hole, through the black background";
    EXPECT_EQ(pixelAt(compositor.surface(), 84, 160).a, 0) << "inside the hole's left edge";
    const Pixel bar = pixelAt(compositor.surface(), 70, 170);
    EXPECT_EQ(bar.a, 255) << "the black bar beside the picture";
    EXPECT_EQ(bar.r, 0);
    const Pixel over = pixelAt(compositor.surface(), 100, 90);
    EXPECT_EQ(over.a, 255) << "the badge above the picture";
    EXPECT_EQ(over.r, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 10, 10).r, 128) << "the grey screen";

    // The picture moves: the old hole is painted again, the new one is cut.
    picture->show(7, CGRectMake(0, 0, 80, 90));
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 300, 170).a, 255) << "no hole where the picture was";
    EXPECT_EQ(pixelAt(compositor.surface(), 120, 170).a, 0);
}

TEST_F(ExternalPictures, PlacesThePictureCutToTheBoundsOnTheDevice) {
    // Aspect fill: the picture is taller than the area and cut at its top and bottom.
    picture->show(7, CGRectMake(0, -15, 160, 120));
    const auto placed = CAExternalPictures::place(*root, CGAffineTransformMakeScale(2, 2));
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].texture, 7u);
    EXPECT_NEAR(placed[0].source.origin.y, 15.0 / 120, 1e-9);
    EXPECT_NEAR(placed[0].source.size.height, 90.0 / 120, 1e-9);
    EXPECT_NEAR(placed[0].source.size.width, 1, 1e-9);
    expectPoint(placed[0].corners[0], {40, 80}, "top left");
    expectPoint(placed[0].corners[3], {360, 260}, "bottom right");

    // The player cut narrower by a masking ancestor.
    player->setBounds(CGRectMake(0, 0, 80, 90));
    const auto narrower = CAExternalPictures::place(*root, CGAffineTransformMakeScale(2, 2));
    ASSERT_EQ(narrower.size(), 1u);
    EXPECT_NEAR(narrower[0].source.size.width, 0.5, 1e-9);
}

TEST_F(ExternalPictures, AQuarterTurnTurnsTheCorners) {
    picture->show(7, CGRectMake(0, 0, 160, 90));
    player->setTransform(CGAffineTransformMakeRotation(std::numbers::pi / 2));
    const auto placed = CAExternalPictures::place(*root, CGAffineTransformIdentity);
    ASSERT_EQ(placed.size(), 1u);
    // Turned a quarter clockwise about its centre (100, 85): the picture's top edge now
    // runs down the right side.
    expectPoint(placed[0].corners[0], {145, 5}, "top left");
    expectPoint(placed[0].corners[1], {145, 165}, "top right");
    expectPoint(placed[0].corners[2], {55, 5}, "bottom left");
    expectPoint(placed[0].corners[3], {55, 165}, "bottom right");
}

TEST_F(ExternalPictures, OnlyShownPicturesOfTheTreeArePlacedBottomFirst) {
    picture->show(7, CGRectMake(0, 0, 160, 90));
    auto lower = std::make_shared<PictureLayer>();
    lower->setFrame(CGRectMake(0, 150, 100, 100));
    lower->show(3, CGRectMake(0, 0, 100, 100));
    root->insertSublayer(lower, 0);
    CAExternalPictures::add(lower);
    auto placed = CAExternalPictures::place(*root, CGAffineTransformIdentity);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].texture, 3u) << "painted first, so drawn first";
    EXPECT_EQ(placed[1].texture, 7u);

    player->setHidden(true);
    placed = CAExternalPictures::place(*root, CGAffineTransformIdentity);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].texture, 3u);
    lower->removeFromSuperlayer();
    EXPECT_TRUE(CAExternalPictures::place(*root, CGAffineTransformIdentity).empty());
}

} // namespace
