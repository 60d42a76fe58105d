// The newest notice at launch when it is long: the alert stays inside the window, its text
// scrolls, and it closes.

#include "MainController/Home/Helpers/HomeTabs.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/host/ScreenRenderer.h"
#include "tests/support/app/AppJourney.h"

#include <cairo.h>

#include <cstdint>
#include <cstring>

namespace {

struct Colour {
    int r = 0, g = 0, b = 0;
};

// The colour of the screen at a point (in points), as drawn now.
Colour screenColourAt(ScreenRenderer& screen, CGPoint point) {
    cairo_surface_t* surface = screen.surface();
    cairo_surface_flush(surface);
    const int x = static_cast<int>(point.x * screen.scale());
    const int y = static_cast<int>(point.y * screen.scale());
    std::uint32_t pixel = 0;
    std::memcpy(&pixel,
                cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4,
                sizeof pixel);
    return {int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF)};
}

bool cardColour(const Colour& colour) {
    return colour.r > 230 && colour.g > 230 && colour.b > 230;
}

std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

class HomeLongNoticeJourney : public testsupport::app::AppJourneyTest {
  protected:
    HomeLongNoticeJourney() { showsServiceNotices = true; }
};

TEST_F(HomeLongNoticeJourney, TheAlertStaysInsideTheWindowItsTextScrollsAndReturnClosesIt) {
    ASSERT_TRUE(waitForText("系统升级公告"));
    playFrames(1);
    const auto alert = topPageAs<UIAlertController>();
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(alert->message().has_value());
    const std::string message = *alert->message();
    EXPECT_EQ(characters(message), 2000u) << "the sample catalogue's newest notice is the long one";

    const CGRect bounds = window()->bounds();
    const UIEdgeInsets insets = window()->safeAreaInsets();
    const CGRect safe{{0, insets.top}, {bounds.width(), bounds.height() - insets.top - insets.bottom}};
    const auto title = ui().findByText("系统升级公告");
    const auto button = ui().findByText("确定");
    ASSERT_NE(button, nullptr);
    const CGRect titleFrame = ui().frameInWindow(title);
    const CGRect buttonFrame = ui().frameInWindow(button);
    const CGRect card = ui().frameInWindow(title->superview());
    EXPECT_TRUE(safe.contains(titleFrame));
    EXPECT_TRUE(safe.contains(buttonFrame));
    EXPECT_TRUE(safe.contains(card));
    {
        // The card is drawn inside the safe area: its light grey behind the button and under
        // the title, the dimmed page just above and below it.
        ScreenRenderer screen;
        screen.renderFrame();
        EXPECT_TRUE(cardColour(screenColourAt(screen, {card.minX() + 4, buttonFrame.midY()})));
        EXPECT_TRUE(cardColour(screenColourAt(screen, {card.minX() + 4, titleFrame.midY()})));
        EXPECT_FALSE(cardColour(screenColourAt(screen, {card.midX(), card.minY() - 3})));
        EXPECT_FALSE(cardColour(screenColourAt(screen, {card.midX(), card.maxY() + 3})));
    }

    // A finger and the wheel scroll the text to its end; the title and the button stay.
    const auto scroll = std::dynamic_pointer_cast<UIScrollView>(ui().findByText(message)->superview());
    ASSERT_NE(scroll, nullptr);
    const CGRect viewport = ui().frameInWindow(scroll);
    EXPECT_GT(scroll->contentSize().height, 3 * viewport.height());
    ui().drag({viewport.midX(), viewport.maxY() - 10}, {viewport.midX(), viewport.minY() + 10});
    playFrames(1);
    const CGFloat dragged = scroll->contentOffset().y;
    EXPECT_GT(dragged, viewport.height() / 2);
    const CGFloat end = scroll->contentSize().height - viewport.height();
    for (int wheel = 0; wheel < 100 && scroll->contentOffset().y < end - 0.5; ++wheel) {
        EXPECT_TRUE(ui().scroll(scroll, 0, 120));
        playFrames(0.3);
    }
    EXPECT_NEAR(scroll->contentOffset().y, end, 0.5) << "the last paragraph can be read";
    EXPECT_EQ(ui().frameInWindow(title), titleFrame);
    EXPECT_EQ(ui().frameInWindow(button), buttonFrame);
    gallery("home-notice-long-end");

    ui().pressKey(UIKeyCommand::returnKey);
    playFrames(1);
    EXPECT_EQ(topPageAs<UIAlertController>(), nullptr);
    EXPECT_TRUE(UserDefaults::standard().boolForKey(noticeShownKey("2024-06-01 10:00:00")));
}

} // namespace
