#include "MainController/Home/Controller/KKelectronicbrow.h"
#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "app/Network/KKriplog.h"
#include "tests/support/app/AppJourney.h"

namespace {

using ShellJourney = testsupport::app::AppJourneyTest;

template <class Page> bool tabShows(const std::shared_ptr<UIViewController>& top) {
    return std::dynamic_pointer_cast<Page>(top) != nullptr;
}

TEST_F(ShellJourney, EachTabShowsItsOwnRootPage) {
    ASSERT_EQ(mainInterface()->viewControllers().size(), 4u);
    gallery("shell-first-tab");
    EXPECT_TRUE(tabShows<KKelectronicbrow>(topPage()));
    selectTab(1);
    EXPECT_TRUE(tabShows<KKspectacularaccountantViewController>(topPage()));
    selectTab(2);
    EXPECT_TRUE(tabShows<KKcandyleanViewController>(topPage()));
    selectTab(3);
    EXPECT_TRUE(tabShows<KKstimulateinterfereViewController>(topPage()));
    selectTab(0);
    EXPECT_TRUE(tabShows<KKelectronicbrow>(topPage()));
}

TEST_F(ShellJourney, TheServiceAnswersTheLaunchedApplication) {
    // The launch signs nobody in by itself; a request through the application's own
    // client reaches the development service over verified HTTPS.
    bool answered = false;
    apiClient.touristLogin("0", [&](std::optional<JSON> json, std::optional<NSError> error) {
        answered = json.has_value() && !error.has_value();
    });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_EQ(apiRequests("/api/touristLogin").size(), 1u);
}

} // namespace
