// The player page's action header: its ad banner, what an ad opens, and the switch that
// turns ads off.
#include "MainController/Video/View/KKcounciloblige.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "tests/MainController/Video/TitleJourneySupport.h"

namespace {

using HeaderJourney = titletest::TitleJourneyTest;

TEST_F(HeaderJourney, TheBannerShowsTheAdsAndAnAdOpensTheTitleItAdvertises) {
    auto page = openPlayer("1030", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->kkgrapeleap && page->kkgrapeleap->banner().has_value(); }));
    ASSERT_TRUE(waitForPlayback(*page, 0.2));
    playFrames(0.5);
    const auto& header = *page->kkgrapeleap;
    EXPECT_FALSE(header.kkdomaingrape()->isHidden());
    // The title sits under the banner, and the grid's header ends at the separator.
    EXPECT_GT(header.title()->frame().origin.y,
              header.kkdomaingrape()->frame().origin.y + header.kkdomaingrape()->frame().size.height);
    const CGRect separator = header.kkdecoratevirtue()->frame();
    EXPECT_DOUBLE_EQ(header.frame().size.height, separator.origin.y + separator.size.height);

    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    ui().tap(header.kkdomaingrape());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKgiganticgloomy>() != nullptr; }));
    EXPECT_EQ(topPageAs<KKgiganticgloomy>()->vod_id, "1010");
    ASSERT_TRUE(waitFor([&] { return !topPageAs<KKgiganticgloomy>()->list().empty(); }));
}

// "clearAD" follows the about page's switch at launch: the ads still arrive, the banner
// stays hidden and the title moves to the header's top.
class AdsSwitchedOffJourney : public titletest::TitleJourneyTest {
  protected:
    void beforeLaunch() override { UserDefaults::standard().setBool("about_ad", true); }
};

TEST_F(AdsSwitchedOffJourney, TheBannerStaysHiddenAndTheTitleMovesUp) {
    auto page = openPlayer("1030", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->kkgrapeleap && page->kkgrapeleap->banner().has_value(); }));
    playFrames(0.5);
    const auto& header = *page->kkgrapeleap;
    EXPECT_EQ(header.banner()->size(), 2u);
    EXPECT_TRUE(header.kkdomaingrape()->isHidden());
    EXPECT_DOUBLE_EQ(header.title()->frame().origin.y, 15);
    const CGRect separator = header.kkdecoratevirtue()->frame();
    EXPECT_DOUBLE_EQ(header.frame().size.height, separator.origin.y + separator.size.height);
    EXPECT_LT(header.frame().size.height, 290);
    gallery("detail-player-ads-off");
}

} // namespace
