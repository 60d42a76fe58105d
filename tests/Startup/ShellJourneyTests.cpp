#include "MainController/Home/Controller/KKelectronicbrow.h"
#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "app/Network/KKriplog.h"
#include "app/Network/KKriplogConsole.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/support/app/AppJourney.h"

#include <algorithm>

namespace {

using ShellJourney = testsupport::app::AppJourneyTest;

// Whether the selected tab's navigation stack starts with a page of class Page (a notice
// alert of the home page may be presented over it).
template <class Page> bool tabShows(const std::shared_ptr<TabbarController>& tabs) {
    const auto navigation = std::dynamic_pointer_cast<UINavigationController>(tabs->selectedViewController());
    return navigation && !navigation->viewControllers().empty() &&
           std::dynamic_pointer_cast<Page>(navigation->viewControllers().front()) != nullptr;
}

TEST_F(ShellJourney, EachTabShowsItsOwnRootPage) {
    ASSERT_EQ(mainInterface()->viewControllers().size(), 4u);
    gallery("shell-first-tab");
    EXPECT_TRUE(tabShows<KKelectronicbrow>(mainInterface()));
    selectTab(1);
    EXPECT_TRUE(tabShows<KKspectacularaccountantViewController>(mainInterface()));
    selectTab(2);
    EXPECT_TRUE(tabShows<KKcandyleanViewController>(mainInterface()));
    selectTab(3);
    EXPECT_TRUE(tabShows<KKstimulateinterfereViewController>(mainInterface()));
    selectTab(0);
    EXPECT_TRUE(tabShows<KKelectronicbrow>(mainInterface()));
}

TEST_F(ShellJourney, TheServiceAnswersTheLaunchedApplication) {
    // A request through the application's own client reaches the development service
    // over verified HTTPS.
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/touristLogin").empty(); }))
        << "the home page signs the tourist in at load";
    const auto before = apiRequests("/api/touristLogin").size();
    bool answered = false;
    apiClient.touristLogin("0", [&](std::optional<JSON> json, std::optional<NSError> error) {
        answered = json.has_value() && !error.has_value();
    });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_EQ(apiRequests("/api/touristLogin").size(), before + 1);
}

// Journeys count the answers the application has logged to tell a held answer from the
// others: a line the application has written is among the console lines at once, however
// late its console writer gets to it.
TEST_F(ShellJourney, TheConsoleLinesHoldEveryLineTheApplicationHasWritten) {
    for (int i = 0; i < 20; ++i) {
        const std::string line = "console line " + std::to_string(i);
        KKriplogConsole::write(line);
        const auto lines = consoleLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

} // namespace
