// Emoji in interface text: drawn from the colour emoji face in their own colours (never in
// the text colour, never as boxes), one glyph per sequence, as wide as measured, at every
// screen scale.

#include "platform/QuartzCore/LayerCompositor.h"
#include "platform/UIKit/Controls/UIButton.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/Controls/UITextView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIView.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr const char* kStar = "⭐";
constexpr const char* kPopcorn = "🍿";
// Man, woman, girl, boy joined by zero-width joiners.
constexpr const char* kFamily = "👨‍👩‍👧‍👦";
// Person running, then the male sign in emoji presentation: a joined sequence with a selector.
constexpr const char* kRunner = "🏃‍♂️";
constexpr const char* kThumbMediumSkin = "👍🏽";
constexpr const char* kFlag = "🇨🇳";
constexpr const char* kHeart = "❤️";

// Green text on the application's dark background: a pixel that holds red or blue comes from
// a glyph's own colours, never from the text colour blended over the background.
const UIColor kBackground = UIColor::colorWithRed(0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0, 1);
const UIColor kTextColor = UIColor::colorWithRed(0, 1, 0, 1);

bool ownColour(const Pixel& pixel) {
    return pixel.r > 80 || pixel.b > 80;
}
bool chromatic(const Pixel& pixel) {
    return ownColour(pixel) &&
           std::max({pixel.r, pixel.g, pixel.b}) - std::min({pixel.r, pixel.g, pixel.b}) > 80;
}
bool neutral(const Pixel& pixel) {
    return ownColour(pixel) &&
           std::max({pixel.r, pixel.g, pixel.b}) - std::min({pixel.r, pixel.g, pixel.b}) < 30;
}
bool differsFromBackground(const Pixel& pixel) {
    return std::abs(pixel.r - 0x1C) > 12 || std::abs(pixel.g - 0x1B) > 12 || std::abs(pixel.b - 0x20) > 12;
}

// A picture of a dark root view holding `view`, drawn by the compositor at `scale`.
class Picture {
  public:
    Picture(const std::shared_ptr<UIView>& view, double scale) : scale_(scale) {
        root_ = std::make_shared<UIView>(CGRectMake(0, 0, 320, 80));
        root_->setBackgroundColor(kBackground);
        root_->addSubview(view);
        root_->layoutIfNeeded();
        compositor_ = std::make_unique<LayerCompositor>(static_cast<int>(320 * scale),
                                                        static_cast<int>(80 * scale), scale);
        compositor_->render(*root_->layer());
    }

    // Pixels of the area (points) for which `test` holds.
    int count(const CGRect& area, bool (*test)(const Pixel&)) const {
        int found = 0;
        forEachPixel(area, [&](int, int, const Pixel& pixel) { found += test(pixel) ? 1 : 0; });
        return found;
    }
    double pixelArea(const CGRect& area) const { return area.width() * area.height() * scale_ * scale_; }

    // The horizontal extent of what was drawn in `area` (points), as [left, right).
    std::pair<double, double> drawnExtent(const CGRect& area) const {
        int left = INT32_MAX;
        int right = -1;
        forEachPixel(area, [&](int x, int, const Pixel& pixel) {
            if (differsFromBackground(pixel)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        });
        return {left / scale_, (right + 1) / scale_};
    }

    // The vertical extent of what was drawn in `area` (points), as [top, bottom).
    std::pair<double, double> drawnRows(const CGRect& area) const {
        int top = INT32_MAX;
        int bottom = -1;
        forEachPixel(area, [&](int, int y, const Pixel& pixel) {
            if (differsFromBackground(pixel)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        });
        return {top / scale_, (bottom + 1) / scale_};
    }

  private:
    template <class Visit> void forEachPixel(const CGRect& area, Visit visit) const {
        const int x0 = std::max(0, static_cast<int>(std::floor(area.minX() * scale_)));
        const int y0 = std::max(0, static_cast<int>(std::floor(area.minY() * scale_)));
        const int x1 = std::min(compositor_->pixelWidth(), static_cast<int>(std::ceil(area.maxX() * scale_)));
        const int y1 =
            std::min(compositor_->pixelHeight(), static_cast<int>(std::ceil(area.maxY() * scale_)));
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                visit(x, y, pixelAt(compositor_->surface(), x, y));
            }
        }
    }

    double scale_;
    std::shared_ptr<UIView> root_;
    std::unique_ptr<LayerCompositor> compositor_;
};

class EmojiDrawing : public testing::TestWithParam<double> {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        UIScreen::Metrics metrics = UIScreen::Metrics::modern();
        metrics.scale = GetParam();
        UIScreen::configureMainScreen(metrics);
    }
    void TearDown() override { UIScreen::configureMainScreen(UIScreen::Metrics::modern()); }

    static std::shared_ptr<UILabel> label(const std::string& text) {
        auto label = std::make_shared<UILabel>();
        label->setText(text);
        label->setFont(UIFont::systemFontOfSize(17));
        label->setTextColor(kTextColor);
        label->sizeToFit();
        label->setFrame({{20, 20}, label->frame().size});
        return label;
    }
};

} // namespace

TEST_P(EmojiDrawing, LabelsDrawEmojiInTheirOwnColoursAsWideAsMeasured) {
    const double scale = GetParam();
    const CGFloat oneEmoji = label(kStar)->frame().width();
    EXPECT_GT(oneEmoji, 17 * 0.9) << "as large as the text around it";
    EXPECT_LT(oneEmoji, 17 * 1.5);

    for (const char* text : {kStar, kPopcorn, kFamily, kRunner, kThumbMediumSkin, kFlag, kHeart}) {
        SCOPED_TRACE(text);
        auto view = label(text);
        const CGRect frame = view->frame();
        // One glyph: a sequence that fell apart would be two to four emoji wide.
        EXPECT_NEAR(frame.width(), oneEmoji, 1);
        EXPECT_NEAR(frame.height(), UIFont::systemFontOfSize(17).lineHeight(), 1.5) << "a line of text";

        const Picture picture(view, scale);
        const double area = picture.pixelArea(frame);
        EXPECT_GT(picture.count(frame, ownColour), area * 0.1) << "drawn in the glyph's own colours";
        if (std::string(text) == kFamily) {
            // This face draws families as grey figures on a white tile.
            EXPECT_GT(picture.count(frame, neutral), area * 0.1);
        } else {
            EXPECT_GT(picture.count(frame, chromatic), area * 0.05) << "in colour";
        }
        const auto [left, right] = picture.drawnExtent(frame.insetBy(-10, -10));
        EXPECT_GE(left, frame.minX() - 1 / scale);
        EXPECT_LE(right, frame.maxX() + 1 / scale) << "nothing drawn past the measured width";
        EXPECT_GT(right - left, frame.width() * 0.55) << "the measured width is drawn";
    }
}

TEST_P(EmojiDrawing, EmojiBesideChineseKeepTheLineAndTheMeasuredWidth) {
    const double scale = GetParam();
    auto chinese = label("高分口碑");
    auto mixed = label("高分口碑 ⭐🍿");
    // Emoji stand on the baseline and reach a little higher than Chinese glyphs: the line
    // grows by at most a point or so, and measuring says so.
    EXPECT_GE(mixed->frame().height(), chinese->frame().height());
    EXPECT_LE(mixed->frame().height(), chinese->frame().height() + 1.5);
    EXPECT_GT(mixed->frame().width(), chinese->frame().width() + 2 * label(kStar)->frame().width());

    const Picture picture(mixed, scale);
    const CGRect frame = mixed->frame();
    const CGRect chinesePart{frame.origin, {chinese->frame().width(), frame.height()}};
    EXPECT_EQ(picture.count(chinesePart, ownColour), 0) << "Chinese text stays in the text colour";
    EXPECT_GT(picture.count(chinesePart, differsFromBackground), picture.pixelArea(chinesePart) * 0.1);
    EXPECT_GT(picture.count(frame, chromatic), 0);
    auto [top, bottom] = picture.drawnRows(frame.insetBy(-10, -10));
    EXPECT_GE(top, frame.minY() - 1 / scale);
    EXPECT_LE(bottom, frame.maxY() + 1 / scale) << "nothing drawn past the measured height";
    const auto [left, right] = picture.drawnExtent(frame.insetBy(-10, -10));
    EXPECT_GE(left, frame.minX() - 1 / scale);
    EXPECT_LE(right, frame.maxX() + 1 / scale);
    EXPECT_GT(right, frame.maxX() - 4) << "the last emoji ends where the measured text ends";
}

TEST_P(EmojiDrawing, ButtonsFieldsAndTextViewsDrawEmojiInColour) {
    const double scale = GetParam();
    auto button = std::make_shared<UIButton>();
    button->setTitle("🎬 电影之夜 🍿🔥", UIControlStateNormal);
    button->setTitleColor(kTextColor, UIControlStateNormal);
    button->sizeToFit();
    button->setFrame({{20, 20}, button->frame().size});
    auto field = std::make_shared<UITextField>(CGRectMake(20, 20, 200, 30));
    field->setTextColor(kTextColor);
    field->setText("爆米花 🍿 👍🏽");
    auto textView = std::make_shared<UITextView>(CGRectMake(20, 10, 200, 60));
    textView->setBackgroundColor(std::nullopt);
    textView->setTextColor(kTextColor);
    textView->setText("好评 ⭐🇨🇳\n全家 👨‍👩‍👧‍👦");

    for (const auto& view : std::vector<std::shared_ptr<UIView>>{button, field, textView}) {
        SCOPED_TRACE(view == button ? "button" : view == field ? "text field" : "text view");
        const Picture picture(view, scale);
        const CGRect frame = view->frame();
        EXPECT_GT(picture.count(frame, chromatic), picture.pixelArea({{0, 0}, {12, 12}}))
            << "at least an emoji's worth of coloured pixels";
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, EmojiDrawing, testing::Values(1.0, 2.0, 3.0));
