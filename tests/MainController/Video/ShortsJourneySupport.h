#pragma once

#include "MainController/Video/Cell/KKlenscontaminate.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "MainController/Video/Controller/KKleanceaseViewController.h"
#include "tests/support/app/AppJourney.h"

#include <memory>
#include <set>
#include <string>

namespace shortsjourney {

// Journeys through the short-video tab of the launched application against the
// development service.
class ShortsJourneyTest : public testsupport::app::AppJourneyTest {
  protected:
    // Opens the third tab and waits for the first video's picture.
    std::shared_ptr<KKcandyleanViewController> openFeed();

    std::shared_ptr<KKcandyleanViewController> feed() const { return topPageAs<KKcandyleanViewController>(); }
    // From the feed, a left swipe to the grid; waits for its first answer's tiles and their
    // covers.
    std::shared_ptr<KKleanceaseViewController> openGrid();
    // Whether every tile in sight of `grid` shows its cover.
    static bool coversShown(KKleanceaseViewController& grid);
    std::shared_ptr<KKlenscontaminate> cellAt(long item) const;
    // The item whose cell fills the list now (none while between two).
    std::optional<long> settledItem() const;

    // A quick upward stroke through the middle of the screen; waits until the list rests.
    void swipeUp();
    // Waits until the list rests and the page has chosen the playing cell.
    bool waitUntilSettled();
    // Whether the cell's player shows a decoded picture while time moves.
    static bool showsPicture(const KKlenscontaminate& cell);

    // Requests the service received for paths that start with `prefix`.
    std::size_t requestsUnder(const std::string& prefix) const;
    // The media paths of short video `n` (1-based) the service served.
    std::set<std::string> mediaPathsOf(int n) const;
};

} // namespace shortsjourney
