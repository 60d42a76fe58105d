#pragma once

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Video/Controller/KKrallymultitudeViewController.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"
#include "tests/support/app/AppJourney.h"

#include <memory>
#include <string>

namespace titletest {

// Journeys through the title pages of the launched application: a catalogue screen opens
// a title's resource list, a resource opens the player page, which plays the service's
// HLS media for real.
class TitleJourneyTest : public testsupport::app::AppJourneyTest {
  protected:
    void SetUp() override;

    // Opens the resource list of `vodId` the way catalogue screens do, and waits for its
    // rows.
    std::shared_ptr<KKgiganticgloomy> openResourceList(const std::string& vodId);
    // Taps row `row` of the resource list on top and waits for the player page.
    std::shared_ptr<KKrallymultitudeViewController> tapResource(size_t row);
    // Opens the player page directly, as the downloaded-episodes page does.
    std::shared_ptr<KKrallymultitudeViewController> openPlayer(const std::string& vodId,
                                                               const std::string& type);
    // Waits until the page's player plays past `seconds` of its media with a picture.
    bool waitForPlayback(KKrallymultitudeViewController& page, double seconds = 1.0, double realSeconds = 60);
    // Taps the tile of episode position `item` in the page's grid.
    void tapEpisode(KKrallymultitudeViewController& page, long item);
    // Leaves the page on top with the back item of its player.
    void goBack();
    // Taps the player's full-screen item (in whichever window the player shows) and waits
    // until the player has gone into full screen or out of it.
    void toggleFullScreen(KKrallymultitudeViewController& page);
    // Where the page's player draws its picture, in screen points (empty without one).
    CGRect pictureRect(KKrallymultitudeViewController& page);
    // Whether the headless screen shows the player's picture the right way up: the service's
    // media have a white block in the top left corner and a black one in the top right
    // corner. The controls and prompts are hidden first, so that nothing lies over them.
    testing::AssertionResult pictureIsUpright(KKrallymultitudeViewController& page);
    // The share of the pixels of the headless screen picture inside the view that are not
    // black.
    double litFraction(const std::shared_ptr<UIView>& view);
    // The title's most recently saved playback record.
    std::shared_ptr<SJPlaybackRecord> latestRecord(const std::string& vodId);
    // True when a shown prompt of the page's player or a toast reads `text`.
    bool shows(const std::string& text);
    // A loading tip covers the page and takes its taps until the answer it waits for.
    bool loadingTipShown();
};

} // namespace titletest
