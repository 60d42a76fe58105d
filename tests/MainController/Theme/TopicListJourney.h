#pragma once

#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/Theme/Controller/KKpillleakViewController.h"
#include "tests/support/app/AppJourney.h"

#include <functional>
#include <memory>

// Journeys that start at the topic list.
class TopicListJourney : public testsupport::app::AppJourneyTest {
  protected:
    // From the library's "主题" button to the topic list, once `shown` says its first answer
    // is on screen.
    std::shared_ptr<KKpillleakViewController>
    openTopicList(const std::function<bool(KKpillleakViewController&)>& shown) {
        selectTab(1);
        auto library = topPageAs<KKspectacularaccountantViewController>();
        EXPECT_NE(library, nullptr);
        if (!library) {
            return nullptr;
        }
        EXPECT_TRUE(waitFor([&] { return !library->list().empty(); }));
        ui().tap(library->kkregulationmaintain());
        auto topics = topPageAs<KKpillleakViewController>();
        EXPECT_NE(topics, nullptr);
        if (topics) {
            EXPECT_TRUE(waitFor([&] { return shown(*topics); }));
            playFrames(0.6);
        }
        return topics;
    }
};
