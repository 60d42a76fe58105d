#pragma once

#include "MainController/My/Controller/KKcommonplaceremedyViewController.h"
#include "MainController/Video/Controller/KKdeafproductViewController.h"
#include "app/Records/KKcommenthumble.h"
#include "tests/MainController/Video/TitleJourneySupport.h"

#include <memory>
#include <string>
#include <vector>

namespace downloadtest {

// Journeys of downloads: from the player page's download button through the picker, the
// download manager and the downloaded episodes, against the development service's HLS
// media.
class DownloadJourneyTest : public titletest::TitleJourneyTest {
  protected:
    // Opens title `vodId`'s resource `resource` on the player page and waits for its
    // episode list and for its first episode's address, with no loading tip left.
    std::shared_ptr<KKrallymultitudeViewController> openTitle(const std::string& vodId, size_t resource);
    // Taps the page's download button and waits for the picker's tiles.
    void openPicker();
    // Taps the picker's tile of episode `item`, then plays `frames` seconds of display
    // frames (none: nothing is drawn after the tap).
    void tapTile(long item, double frames = 0.1);
    // Hides the picker with a tap on the dimmed screen above it.
    void closePicker();
    // Pushes the download manager and waits until it is on top.
    std::shared_ptr<KKcommonplaceremedyViewController> openManager();
    // Every download record.
    std::vector<std::shared_ptr<KKcommenthumble>> records();
    // The record of episode `index` of `vodId`.
    std::shared_ptr<KKcommenthumble> record(const std::string& vodId, long index);
    // Waits until the record of the episode is in `state`.
    bool waitForState(const std::string& vodId, long index, const std::string& state,
                      double realSeconds = 60);
    // True when a tip with exactly `text` is shown.
    bool tipShown(const std::string& text);
    // The requests the service received for media paths starting with `prefix`.
    size_t mediaRequests(const std::string& prefix);
    // True when the picker shows `text`.
    bool pickerShows(const std::string& text);

    // Drives the key window: the picker's own while it is shown.
    testsupport::ui::UIDriver keyWindow;
};

} // namespace downloadtest
