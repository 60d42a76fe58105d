// What the player page offers besides watching, driven through the launched application
// against the development service: the rate panel, the skip editor, the play-source
// pop-up, favourites for tourists and members, feedback and the AirPlay picker.
#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "MainController/My/Controller/KKgracestimulateViewController.h"
#include "MainController/Video/Cell/KKsavingintegrate.h"
#include "MainController/Video/Controller/KKproductstaircaseViewController.h"
#include "MainController/Video/View/KKcounciloblige.h"
#include "MainController/Video/View/KKjerkcouncil.h"
#include "MainController/Video/View/KKobligesuicide.h"
#include "app/Base/NavigationController.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "app/Records/KKreapedit.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/UIKit/Controls/UIPasteboard.h"
#include "tests/MainController/Video/TitleJourneySupport.h"

#include <algorithm>

namespace {

class ActionsJourney : public titletest::TitleJourneyTest {
  protected:
    // The application's own sign-ins store the user they answer under "login".
    void signInTourist() {
        bool done = false;
        apiClient.touristLogin("0", [&](std::optional<JSON> json, std::optional<NSError> error) {
            apiClient.storeLoginJSON(json, error);
            done = true;
        });
        ASSERT_TRUE(waitFor([&] { return done; }));
    }

    // Registers a member with the service's captcha and SMS code, as the sign-in form
    // does, and stores the member under "login".
    void signInMember(const std::string& number) {
        const auto ticket = service().solveCaptcha();
        bool sent = false;
        apiClient.sendMail(number, ticket.randstr, ticket.ticket, "register",
                           [&](std::optional<JSON>, std::optional<NSError> error) { sent = !error; });
        ASSERT_TRUE(waitFor([&] { return sent; }));
        const auto code = service().lastSmsCode(number);
        ASSERT_TRUE(code.has_value());
        bool registered = false;
        apiClient.register_(number, "secret123", *code,
                            [&](std::optional<JSON> json, std::optional<NSError> error) {
                                apiClient.storeLoginJSON(json, error);
                                registered = json.has_value();
                            });
        ASSERT_TRUE(waitFor([&] { return registered; }));
    }

    // The vod_ids of the signed-in member's favourites, as the favourites page reads them.
    std::vector<std::string> favourites() {
        std::optional<std::vector<JSON>> listed;
        apiClient.sendRequest(HTTPMethod::get, "api/getCollectionList", {},
                              [&](std::optional<JSON> json, std::optional<NSError>) {
                                  listed = json ? json->arrayValue() : std::vector<JSON>();
                              });
        EXPECT_TRUE(waitFor([&] { return listed.has_value(); }));
        std::vector<std::string> ids;
        for (const auto& title : listed.value_or(std::vector<JSON>())) {
            ids.push_back(title["vod_id"].stringValue());
        }
        return ids;
    }

    // The play-source pop-up while it is shown (in a window of its own).
    static std::shared_ptr<KKproductstaircaseViewController> sourcePopup() {
        testsupport::ui::UIDriver keyWindow;
        const auto window = keyWindow.window();
        return window
                   ? std::dynamic_pointer_cast<KKproductstaircaseViewController>(window->rootViewController())
                   : nullptr;
    }

    void waitForNoLoadingTip() {
        EXPECT_TRUE(waitFor([&] { return !loadingTipShown(); }));
    }

    // The page's header once the detail and the first episode's answer arrived.
    std::shared_ptr<KKcounciloblige> header(KKrallymultitudeViewController& page) {
        waitFor([&] {
            return page.kkgrapeleap != nullptr && !page.json.isEmpty() &&
                   page.player()->URLAsset() != nullptr && !loadingTipShown();
        });
        return page.kkgrapeleap;
    }

    void enterFullScreen(KKrallymultitudeViewController& page) {
        const auto& layer = page.player()->defaultEdgeControlLayer();
        layer->setAppeared(true, false);
        auto full = layer->bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Full);
        ASSERT_NE(full, nullptr);
        ui().tap(full);
        ASSERT_TRUE(
            waitFor([&] { return page.isFull && !page.player()->rotationManager().isTransitioning(); }));
        playFrames(0.5);
        layer->setAppeared(true, false);
    }

    // Opens the play-source pop-up from the header and taps the source of that name.
    void chooseSource(KKrallymultitudeViewController& page, const std::string& name) {
        testsupport::ui::UIDriver keyWindow;
        ui().tap(header(page)->kkpersonnelimpetus());
        std::shared_ptr<KKsavingintegrate> tile;
        ASSERT_TRUE(waitFor([&] {
            auto popup = sourcePopup();
            if (!popup || popup->list.empty()) {
                return false;
            }
            for (const auto& shown : keyWindow.findAllOfClass<KKsavingintegrate>()) {
                if (shown->titleLabel()->text() == name) {
                    tile = shown;
                }
            }
            return tile != nullptr;
        })) << "no source "
            << name;
        playFrames(0.5);
        keyWindow.tap(tile);
        ASSERT_TRUE(waitFor([&] { return sourcePopup() == nullptr; }));
    }

    // The title colours of the rate panel's buttons, top to bottom.
    static std::vector<std::string> marked(const KKobligesuicide& panel) {
        std::vector<std::string> titles;
        for (const auto& view : panel.kkloungecandy()->arrangedSubviews()) {
            auto button = std::static_pointer_cast<QMUIButton>(view);
            if (button->titleColorForState(UIControlStateNormal) == hexColor("D73F3F", 1)) {
                titles.push_back(button->titleForState(UIControlStateNormal).value_or(""));
            }
        }
        return titles;
    }

    std::shared_ptr<QMUIButton> rateButton(const KKobligesuicide& panel, const std::string& title) {
        for (const auto& view : panel.kkloungecandy()->arrangedSubviews()) {
            auto button = std::static_pointer_cast<QMUIButton>(view);
            if (button->titleForState(UIControlStateNormal) == title) {
                return button;
            }
        }
        ADD_FAILURE() << "no rate " << title;
        return nullptr;
    }

    std::shared_ptr<KKobligesuicide> openRatePanel(KKrallymultitudeViewController& page) {
        page.player()->defaultEdgeControlLayer()->setAppeared(true, false);
        ui().tap(page.kksupplementaryaggressive());
        playFrames(0.6);
        return ui().findByClass<KKobligesuicide>();
    }
};

// Full screen, "倍速": the panel slides in with the rate in use marked; 1.5X changes the
// engine's speed and slides the panel out; the next opening marks 1.5X; a tap beside the
// column changes nothing.
TEST_F(ActionsJourney, TheRatePanelMarksAndAppliesTheSpeed) {
    auto page = openPlayer("1021", "ffm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    waitForNoLoadingTip();
    enterFullScreen(*page);

    auto panel = openRatePanel(*page);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(marked(*panel), std::vector<std::string>{"1.0X"});
    EXPECT_EQ(panel->kkloungecandy()->frame().maxX(), panel->bounds().size.width)
        << "the column slid in to the right edge";
    gallery("detail-rate-panel");

    ui().tap(rateButton(*panel, "1.5X"));
    playFrames(0.5);
    EXPECT_EQ(page->player()->rate(), 1.5F);
    auto engine =
        std::dynamic_pointer_cast<SJAVMediaPlaybackController>(page->player()->playbackController());
    ASSERT_TRUE(engine && engine->currentPlayer());
    EXPECT_EQ(engine->currentPlayer()->avPlayer()->defaultRate(), 1.5) << "the engine plays at the new speed";
    EXPECT_EQ(panel->superview(), nullptr) << "the panel slid out and went";
    EXPECT_TRUE(shows("倍速")) << "the bar still offers the panel";

    panel = openRatePanel(*page);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(marked(*panel), std::vector<std::string>{"1.5X"});
    ui().tap(panel->kkcurrencyguidance());
    playFrames(0.5);
    EXPECT_EQ(ui().findByClass<KKobligesuicide>(), nullptr);
    EXPECT_EQ(page->player()->rate(), 1.5F);

    // A speed outside the panel's list marks nothing.
    page->player()->setRate(1.1F);
    panel = openRatePanel(*page);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(marked(*panel).empty());
    ui().tap(rateButton(*panel, "0.5X"));
    playFrames(0.5);
    EXPECT_EQ(page->player()->rate(), 0.5F);
}

// The offer to set up skipping opens the editor; intro 10 s and outro 20 s are stored at
// once, and the next opening of the title starts after the intro.
TEST_F(ActionsJourney, TheSkipEditorStoresWhatTheNextOpeningSkips) {
    auto page = openPlayer("1021", "lzm3u8");
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }, 30));
    ASSERT_TRUE(shows("设置开启跳过片头片尾"));
    waitForNoLoadingTip();
    page->player()->defaultEdgeControlLayer()->setAppeared(true, false);
    const auto prompts = page->player()->promptingPopupController().displayingViews();
    ASSERT_FALSE(prompts.empty());
    ui().tap(prompts.back());
    playFrames(0.2);
    auto editor = ui().findByClass<KKjerkcouncil>();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(shows("设置开启跳过片头片尾")) << "the offer was taken";
    EXPECT_EQ(editor->kkhopelesspastime()->text(), "0");
    EXPECT_EQ(editor->kkpastimeincidence()->text(), "0");
    EXPECT_EQ(*KKreapedit::findFirst(ASAttributes{{"vod_id", "1021"}}), nullptr) << "opening writes nothing";

    ui().tap(editor->kkfactorassure());
    ui().tap(editor->kkfactorassure());
    for (int i = 0; i < 4; ++i) {
        ui().tap(editor->kkassurehopeless());
    }
    EXPECT_EQ(editor->kkhopelesspastime()->text(), "10");
    EXPECT_EQ(editor->kkpastimeincidence()->text(), "20");
    gallery("detail-skip-editor");
    auto record = *KKreapedit::findFirst(ASAttributes{{"vod_id", "1021"}});
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->startProgress, 10.0);
    EXPECT_EQ(record->endProgress, 20.0);

    ui().tap(editor->kkcurrencyguidance());
    playFrames(0.5);
    EXPECT_EQ(ui().findByClass<KKjerkcouncil>(), nullptr) << "a tap on the dimmed area closes it";

    // This visit leaves its playback record inside the intro (however long the steps above
    // took), so that the next opening starts there and skips. The record is complete once
    // the page is gone.
    page->player()->pause();
    page->player()->seekToTime(0);
    ASSERT_TRUE(waitFor([&] { return page->player()->currentTime() < 1.0; }));
    const std::weak_ptr<KKrallymultitudeViewController> left = page;
    page.reset();
    goBack();
    ASSERT_TRUE(waitFor([&] { return left.expired(); })) << "the player page lives on after going back";
    const auto leftRecord = latestRecord("1021");
    ASSERT_TRUE(leftRecord == nullptr || leftRecord->position < 10.0);
    page = openPlayer("1021", "lzm3u8");
    // The announcement shows for a few seconds from the moment of the skip.
    ASSERT_TRUE(waitFor([&] { return shows("已为你跳过片头"); }, 60));
    EXPECT_FALSE(shows("设置开启跳过片头片尾"));
    ASSERT_TRUE(
        waitFor([&] { return page->player()->isPlaying() && page->player()->currentTime() >= 10.0; }, 60));
}

// Typed and pasted text through the editor's fields never stores a value outside 0..999
// nor leaves a record that the fields disagree with.
TEST_F(ActionsJourney, SkipEditorInputStaysWithinItsLimits) {
    auto page = openPlayer("1030", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }, 30));
    waitForNoLoadingTip();
    page->player()->defaultEdgeControlLayer()->setAppeared(true, false);
    ui().tap(page->kktransferessence());
    playFrames(0.2);
    auto editor = ui().findByClass<KKjerkcouncil>();
    ASSERT_NE(editor, nullptr);
    const auto stored = [] { return *KKreapedit::findFirst(ASAttributes{{"vod_id", "1030"}}); };
    const auto& intro = editor->kkhopelesspastime();
    const auto& outro = editor->kkpastimeincidence();

    ui().tap(intro);
    intro->selectAll();
    ui().type("1234");
    EXPECT_EQ(intro->text(), "123") << "a fourth digit is refused";
    ASSERT_NE(stored(), nullptr);
    EXPECT_EQ(stored()->startProgress, 123.0);

    intro->selectAll();
    UIPasteboard::generalPasteboard().setString("-5");
    intro->paste();
    EXPECT_EQ(intro->text(), "0");
    EXPECT_EQ(stored(), nullptr) << "no stale record after a negative value";

    ui().tap(outro);
    outro->selectAll();
    UIPasteboard::generalPasteboard().setString("+12");
    outro->paste();
    EXPECT_EQ(outro->text(), "12");
    ASSERT_NE(stored(), nullptr);
    EXPECT_EQ(stored()->endProgress, 12.0);
    EXPECT_EQ(stored()->startProgress, 0.0);

    outro->selectAll();
    UIPasteboard::generalPasteboard().setString("片尾");
    outro->paste();
    EXPECT_EQ(outro->text(), "0");
    EXPECT_EQ(stored(), nullptr);

    ui().type("7");
    EXPECT_EQ(outro->text(), "7");
    ui().deleteBackward();
    EXPECT_EQ(outro->text(), "0") << "an emptied field shows 0";
    EXPECT_EQ(stored(), nullptr);
}

// The pop-up lists the title's sources with the playing one marked; another source
// replaces the grid's episodes and plays the same episode position from it.
TEST_F(ActionsJourney, ThePlaySourcePopupSwitchesToTheSameEpisodeOfAnotherSource) {
    auto page = openPlayer("1022", "ffm3u8");
    ASSERT_TRUE(waitFor([&] { return page->list.size() > 3; }));
    waitForNoLoadingTip();
    tapEpisode(*page, 2);
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    ASSERT_NE(page->player()->URLAsset()->mediaURL().find("/ffm3u8/1022/3/"), std::string::npos);

    testsupport::ui::UIDriver keyWindow;
    ui().tap(header(*page)->kkpersonnelimpetus());
    std::shared_ptr<KKproductstaircaseViewController> popup;
    ASSERT_TRUE(waitFor([&] {
        popup = sourcePopup();
        return popup && popup->list.size() == 3 && keyWindow.findAllOfClass<KKsavingintegrate>().size() == 3;
    }));
    playFrames(0.5);
    EXPECT_FALSE(page->player()->isPlaying()) << "the pop-up pauses the player";
    EXPECT_TRUE(keyWindow.findByText("切换视频源") != nullptr);
    auto tiles = keyWindow.findAllOfClass<KKsavingintegrate>();
    std::vector<std::string> markedSources;
    std::shared_ptr<KKsavingintegrate> redBull;
    for (const auto& tile : tiles) {
        if (!tile->selectIcon()->isHidden()) {
            markedSources.push_back(tile->titleLabel()->text());
        }
        if (tile->titleLabel()->text() == "红牛资源") {
            redBull = tile;
        }
    }
    EXPECT_EQ(markedSources, std::vector<std::string>{"非凡资源"});
    gallery("detail-source-popup");
    ASSERT_NE(redBull, nullptr);

    keyWindow.tap(redBull);
    ASSERT_TRUE(waitFor(
        [&] {
            auto asset = page->player()->URLAsset();
            return page->type == "hnm3u8" && asset &&
                   asset->mediaURL().find("/hnm3u8/1022/3/") != std::string::npos;
        },
        30));
    EXPECT_EQ(page->index.item, 2);
    ASSERT_FALSE(page->list.empty());
    for (const auto& episode : page->list) {
        EXPECT_NE(episode["src"].stringValue().find("hnm3u8"), std::string::npos);
    }
    EXPECT_EQ(page->collectionView()->numberOfItemsInSection(0), static_cast<long>(page->list.size()));
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    EXPECT_EQ(sourcePopup(), nullptr) << "the pop-up closed";
    EXPECT_FALSE(popup->isVisible());

    // Cached answers stay with their source: the old source's record keeps its episodes.
    auto oldCache = *KKenthusiasticreap::findFirst(ASAttributes{{"vod_id", "1022"}, {"type", "ffm3u8"}});
    ASSERT_NE(oldCache, nullptr);
    EXPECT_NE(oldCache->videoListJson.find("ffm3u8"), std::string::npos);
    EXPECT_EQ(oldCache->videoListJson.find("hnm3u8"), std::string::npos);
}

// A source chosen while the list of the source chosen before is still on its way: that
// late list belongs to a source no longer chosen, and it is neither shown, nor kept as the
// new source's list, nor played.
TEST_F(ActionsJourney, ALateEpisodeListOfASourceNoLongerChosenIsDropped) {
    auto page = openPlayer("1022", "ffm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.2));
    const auto listAnswers = [&] {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), "api/getVideoList");
    };
    // The service holds back the next episode list: the first switch's.
    service().setFault("api/getVideoList", devservice::Fault{.times = 1, .held = true});
    chooseSource(*page, "红牛资源");
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/getVideoList").size() == 2; }));
    EXPECT_EQ(page->type, "hnm3u8");
    EXPECT_TRUE(page->list.empty()) << "the old source's episodes left with it";

    chooseSource(*page, "暴风资源");
    ASSERT_TRUE(waitFor(
        [&] {
            auto asset = page->player()->URLAsset();
            return page->type == "bfzym3u8" && asset &&
                   asset->mediaURL().find("/bfzym3u8/1022/") != std::string::npos;
        },
        30));
    const auto answered = listAnswers();
    const auto parsesBefore = apiRequests("/api/getParse").size();
    service().releaseHeldRequests();
    ASSERT_TRUE(waitFor([&] { return listAnswers() == answered + 1; })) << "the held list never came";
    // Long enough for the start that an episode list schedules.
    playFrames(0.5);

    EXPECT_EQ(page->type, "bfzym3u8");
    ASSERT_FALSE(page->list.empty());
    for (const auto& episode : page->list) {
        EXPECT_NE(episode["src"].stringValue().find("bfzym3u8"), std::string::npos);
    }
    EXPECT_EQ(page->collectionView()->numberOfItemsInSection(0), static_cast<long>(page->list.size()));
    ASSERT_NE(page->player()->URLAsset(), nullptr);
    EXPECT_NE(page->player()->URLAsset()->mediaURL().find("/bfzym3u8/1022/"), std::string::npos);
    EXPECT_EQ(apiRequests("/api/getParse").size(), parsesBefore) << "the late list started an episode";
    auto cache = *KKenthusiasticreap::findFirst(ASAttributes{{"vod_id", "1022"}, {"type", "bfzym3u8"}});
    ASSERT_NE(cache, nullptr);
    EXPECT_NE(cache->videoListJson.find("bfzym3u8"), std::string::npos);
    EXPECT_EQ(cache->videoListJson.find("hnm3u8"), std::string::npos)
        << "the late list was kept as this one's";
    auto dropped = *KKenthusiasticreap::findFirst(ASAttributes{{"vod_id", "1022"}, {"type", "hnm3u8"}});
    ASSERT_NE(dropped, nullptr);
    EXPECT_TRUE(dropped->videoListJson.empty());
}

// A failed source list leaves the pop-up open with its heading and no tiles.
TEST_F(ActionsJourney, ThePlaySourcePopupStaysEmptyWhenTheListFails) {
    auto page = openPlayer("1002", "ffm3u8");
    service().setFault("api/vodResourceList", devservice::Fault{.status = 500});
    ui().tap(header(*page)->kkpersonnelimpetus());
    std::shared_ptr<KKproductstaircaseViewController> popup;
    ASSERT_TRUE(waitFor([&] {
        popup = sourcePopup();
        return popup && !apiRequests("/api/vodResourceList").empty();
    }));
    playFrames(1.0);
    testsupport::ui::UIDriver keyWindow;
    EXPECT_TRUE(keyWindow.findByText("切换视频源") != nullptr);
    EXPECT_TRUE(keyWindow.findAllOfClass<KKsavingintegrate>().empty());
    EXPECT_EQ(page->type, "ffm3u8");
    gallery("detail-source-popup-failed");
    // A tap above the sheet closes it without a choice.
    keyWindow.tap(CGPoint{100, 100});
    playFrames(0.6);
    EXPECT_EQ(sourcePopup(), nullptr);
    EXPECT_EQ(page->type, "ffm3u8");
}

// A tourist's tap presents the login container and sends nothing; a member adds the
// title to the favourites and removes it again, the button following each answer.
TEST_F(ActionsJourney, FavouritesSendTouristsToSignInAndFollowTheMembersChoice) {
    signInTourist();
    auto page = openPlayer("1005", "lzm3u8");
    ui().tap(header(*page)->kkpettyverdict());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKmaximumdefyViewController>() != nullptr; }));
    playFrames(0.6);
    auto login = topPageAs<KKmaximumdefyViewController>();
    auto navigation = std::dynamic_pointer_cast<NavigationController>(login->navigationController());
    ASSERT_NE(navigation, nullptr);
    EXPECT_EQ(navigation->modalPresentationStyle(), UIModalPresentationStyle::fullScreen);
    EXPECT_EQ(navigation->viewControllers().front(), login);
    EXPECT_TRUE(apiRequests("/api/collectionState").empty());
    gallery("detail-favourite-tourist-login");
    bool dismissed = false;
    navigation->dismissViewControllerAnimated(false, [&] { dismissed = true; });
    ASSERT_TRUE(waitFor([&] { return dismissed && topPage() == page; }));
    playFrames(0.3);

    signInMember("13912345678");
    const auto& button = header(*page)->kkpettyverdict();
    EXPECT_FALSE(button->isSelected());
    waitForNoLoadingTip();
    ui().tap(button);
    ASSERT_TRUE(waitFor([&] { return button->isSelected(); }));
    auto sent = apiRequests("/api/collectionState");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].parameters["vod_id"], "1005");
    EXPECT_EQ(sent[0].parameters["state"], "1");
    EXPECT_EQ(favourites(), std::vector<std::string>{"1005"});
    // A redraw of the header keeps the new state.
    page->collectionView()->reloadData();
    playFrames(0.2);
    EXPECT_TRUE(header(*page)->kkpettyverdict()->isSelected());
    gallery("detail-favourite-member");

    // A failed request leaves the button as it was.
    service().setFault("api/collectionState", devservice::Fault{.status = 500, .times = 1});
    waitForNoLoadingTip();
    ui().tap(button);
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/collectionState").size() == 2; }));
    playFrames(0.5);
    EXPECT_TRUE(button->isSelected());

    waitForNoLoadingTip();
    ui().tap(button);
    ASSERT_TRUE(waitFor([&] { return !button->isSelected(); }));
    sent = apiRequests("/api/collectionState");
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2].parameters["state"], "0");
    EXPECT_TRUE(favourites().empty());
}

// Answers that arrive after the page was closed change nothing and touch nothing.
TEST_F(ActionsJourney, AClosedPageIgnoresLateAnswersOfItsActions) {
    signInMember("13812345678");
    auto page = openPlayer("1008", "bfzym3u8");
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }, 30));
    service().setFault("api/collectionState", devservice::Fault{.delaySeconds = 1.0});
    ui().tap(header(*page)->kkpettyverdict());
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/collectionState").empty(); }));
    // The loading tip covers the page while it waits; the page is closed from outside.
    std::weak_ptr<KKrallymultitudeViewController> closed = page;
    page->navigationController()->popViewControllerAnimated(false);
    page.reset();
    ASSERT_TRUE(waitFor([&] { return closed.expired(); }));
    playFrames(2.0);
    ASSERT_TRUE(waitFor([&] { return favourites() == std::vector<std::string>{"1008"}; }));
    EXPECT_EQ(apiRequests("/api/collectionState").size(), 1u);
}

// Feedback pushes its page; the AirPlay button opens the route picker, which finds no
// device here.
TEST_F(ActionsJourney, FeedbackIsPushedAndTheRoutePickerFindsNoDevice) {
    auto page = openPlayer("1003", "hnm3u8");
    EXPECT_TRUE(page->preferredNavigationBarHidden());
    EXPECT_FALSE(page->shouldAutorotate());
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }, 30));

    waitForNoLoadingTip();
    page->player()->defaultEdgeControlLayer()->setAppeared(true, false);
    ui().tap(page->kkhoneysightseeing());
    ASSERT_TRUE(waitFor([&] { return page->kkhoneysightseeing()->isPresentingRoutes(); }));
    playFrames(0.5);
    testsupport::ui::UIDriver keyWindow;
    EXPECT_TRUE(keyWindow.findByText("未找到可用的设备") != nullptr || shows("未找到可用的设备"));
    gallery("detail-airplay-no-device");
    auto done = keyWindow.findByText("完成");
    ASSERT_NE(done, nullptr);
    keyWindow.tap(done->superview()->sharedView());
    ASSERT_TRUE(waitFor([&] { return !page->kkhoneysightseeing()->isPresentingRoutes(); }));

    ui().tap(header(*page)->kkimpetusorientation());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKgracestimulateViewController>() != nullptr; }));
    auto feedback = topPageAs<KKgracestimulateViewController>();
    EXPECT_EQ(feedback->navigationController(), page->navigationController()) << "pushed on the page's stack";
    playFrames(0.5);
    EXPECT_TRUE(page->player()->vc_isDisappeared()) << "the player was told the page went away";
}

} // namespace
