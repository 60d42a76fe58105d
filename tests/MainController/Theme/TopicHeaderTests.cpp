// The topic header as a person sees it, drawn into pixels: its default texts and
// placeholder pictures, its blurred background, and how a long introduction pushes the
// caption down.
#include "MainController/Theme/View/KKgazecriticize.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/UIKit/BackdropBlur.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"
#include "tests/support/ui/ViewPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using testsupport::ui::ViewPicture;

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

// A picture with one sharp edge: its left half red, its right half blue.
std::shared_ptr<UIImage> redBluePicture() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 300);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 100, 300);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 100, 0, 100, 300);
    cairo_fill(cr);
    cairo_destroy(cr);
    return UIImage::imageWithCGImage(CGImage::adopt(surface), 1);
}

// A plain grey picture.
std::shared_ptr<UIImage> greyPicture() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 90);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    cairo_destroy(cr);
    return UIImage::imageWithCGImage(CGImage::adopt(surface), 1);
}

int largestStep(const Pixel& a, const Pixel& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

class TopicHeader : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        window->addSubview(header);
        window->makeKeyAndVisible();
        driver.emplace(window);
        layOut(390);
    }

    void layOut(CGFloat width) {
        const CGFloat height = header->contentHeight(width);
        header->setFrame(CGRectMake(0, 0, width, height));
        driver->runLoop();
    }

    // Waits until the background shows the blur of the picture it holds now.
    bool waitForBlur(const std::shared_ptr<KKgazecriticize>& shown) {
        return driver->waitUntil([&] {
            const auto& blur = shown->blurView();
            return blur && blur->backdrop() == shown->backgroundView()->image() && blur->blurredBackdrop();
        });
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<KKgazecriticize> header = KKgazecriticize::make();
    std::optional<testsupport::ui::UIDriver> driver;
};

TEST_F(TopicHeader, BeforeAnyAnswerItShowsItsDefaultTextsAndPlaceholders) {
    ASSERT_TRUE(waitForBlur(header));
    // The five texts are on screen, within the header, in reading order from the top.
    CGFloat above = -1;
    for (const std::string text : {"主题", "共0个影片", "简介", "内容", "精彩电影"}) {
        const auto view = driver->findByText(text);
        ASSERT_NE(view, nullptr) << text;
        const CGRect frame = driver->frameInWindow(view);
        EXPECT_GT(frame.size.width, 0) << text;
        EXPECT_TRUE(CGRectContainsRect(header->frame(), frame)) << text;
        EXPECT_GT(frame.origin.y, above) << text;
        above = frame.origin.y;
    }
    const ViewPicture picture(*header);
    // The cover shows the placeholder picture: its dark ground and its lighter play mark.
    const CGRect cover = header->kkdrainexempt()->frame();
    const Pixel ground = picture.at(cover.minX() + 4, cover.minY() + 4);
    const Pixel mark = picture.at(cover.midX(), cover.midY());
    EXPECT_NEAR(ground.r, 0x2F, 3);
    EXPECT_NEAR(ground.b, 0x35, 3);
    EXPECT_NEAR(mark.r, 0x47, 3);
    EXPECT_NEAR(mark.b, 0x4F, 3);
    // The name and the count are white on the dark blurred background; the introduction
    // and the caption are dark.
    const auto frameOf = [&](const std::shared_ptr<QMUILabel>& label) {
        return label->convertRectToView(label->bounds(), header.get());
    };
    for (const auto& label : {header->titleLabel(), header->kkappropriatepostpone()}) {
        const Pixel brightest = picture.brightest(frameOf(label));
        const Pixel darkest = picture.darkest(frameOf(label));
        EXPECT_GT(brightest.r + brightest.g + brightest.b, 3 * 230) << label->text();
        EXPECT_LT(darkest.r + darkest.g + darkest.b, 3 * 90) << label->text();
    }
    for (const auto& label : {header->kkcompetentingredient(), header->kkpostponeoccur()}) {
        const Pixel darkest = picture.darkest(frameOf(label));
        EXPECT_LT(darkest.r + darkest.g + darkest.b, 3 * 70) << label->text();
    }
}

// Where the cover has a sharp edge, the background has none: neighbouring pixels differ
// a little all the way across, and the cover's colours still show on either side.
TEST_F(TopicHeader, TheBackgroundIsABlurOfTheCoverMadeOncePerPicture) {
    // The placeholder picture the header starts with is blurred first.
    ASSERT_TRUE(waitForBlur(header));
    const std::size_t blursBefore = BackdropBlur::shared().blursMade();
    const auto picture = redBluePicture();
    header->kkdrainexempt()->setImage(picture);
    header->backgroundView()->setImage(picture);
    ASSERT_TRUE(waitForBlur(header));
    const ViewPicture drawn(*header);

    // The cover itself stays sharp: red meets blue from one pixel to the next.
    const CGRect cover = header->kkdrainexempt()->frame();
    int coverStep = 0;
    for (CGFloat x = cover.minX() + 0.5; x < cover.maxX(); x += 0.5) {
        coverStep =
            std::max(coverStep, largestStep(drawn.at(x - 0.5, cover.midY()), drawn.at(x, cover.midY())));
    }
    EXPECT_GT(coverStep, 100);

    // A line of the background above the cover and the texts, pixel by pixel.
    const CGFloat y = 40;
    int backgroundStep = 0;
    for (CGFloat x = 0.5; x < 390; x += 0.5) {
        backgroundStep = std::max(backgroundStep, largestStep(drawn.at(x - 0.5, y), drawn.at(x, y)));
    }
    EXPECT_LT(backgroundStep, 8) << "the background shows a sharp edge";
    const Pixel left = drawn.at(5, y);
    const Pixel middle = drawn.at(195, y);
    const Pixel right = drawn.at(385, y);
    EXPECT_GT(left.r, left.b + 80) << "the cover's red is not behind the left side";
    EXPECT_GT(right.b, right.r + 80) << "the cover's blue is not behind the right side";
    EXPECT_GT(middle.r, 30);
    EXPECT_GT(middle.b, 30);
    EXPECT_LT(std::abs(middle.r - middle.b), 40) << "the two halves do not blend where they meet";
    EXPECT_EQ(BackdropBlur::shared().blursMade(), blursBefore + 1);

    // Drawing again, laying out at another width and a second header with the same
    // picture all show the blur made once.
    layOut(320);
    (void)ViewPicture(*header);
    layOut(390);
    (void)ViewPicture(*header);
    auto second = KKgazecriticize::make();
    window->addSubview(second);
    second->backgroundView()->setImage(picture);
    ASSERT_TRUE(waitForBlur(second));
    EXPECT_EQ(second->blurView()->blurredBackdrop()->CGImage(),
              header->blurView()->blurredBackdrop()->CGImage());
    EXPECT_EQ(BackdropBlur::shared().blursMade(), blursBefore + 1);

    // Another picture is blurred once more; going back to the first one shows its blur
    // at once, without making it again.
    header->backgroundView()->setImage(greyPicture());
    ASSERT_TRUE(waitForBlur(header));
    EXPECT_EQ(BackdropBlur::shared().blursMade(), blursBefore + 2);
    header->backgroundView()->setImage(picture);
    ASSERT_NE(header->blurView()->blurredBackdrop(), nullptr);
    EXPECT_EQ(BackdropBlur::shared().blursMade(), blursBefore + 2);
}

TEST_F(TopicHeader, ALongerIntroductionWrapsAndPushesTheCaptionDown) {
    const CGFloat oneLine = header->contentHeight(390);
    header->layoutIfNeeded();
    EXPECT_EQ(header->backgroundView()->frame(), CGRectMake(0, 0, 390, 260));
    EXPECT_EQ(header->kkdrainexempt()->frame(), CGRectMake(15, 260 - 20 - 132, 102, 132));
    // The blur covers the whole picture whatever size the header had when it was made.
    ASSERT_NE(header->blurView(), nullptr);
    EXPECT_EQ(header->blurView()->frame(), header->backgroundView()->bounds());

    header->kkcompetentingredient()->setText(repeated("一部关于成长与告别的电影合集，", 12));
    const CGFloat manyLines = header->contentHeight(390);
    const CGRect intro = header->kkcompetentingredient()->frame();
    EXPECT_EQ(intro.size.width, 390 - 30);
    EXPECT_GT(manyLines - oneLine, 3 * 14);
    const CGRect separator = header->kkdecoratevirtue()->frame();
    EXPECT_DOUBLE_EQ(separator.origin.y, intro.origin.y + intro.size.height + 15);
    const CGRect caption = header->kkpostponeoccur()->frame();
    EXPECT_DOUBLE_EQ(manyLines, caption.origin.y + caption.size.height + 15);
    // A narrower screen wraps the same text onto more lines.
    EXPECT_GT(header->contentHeight(320), manyLines);
}

} // namespace
