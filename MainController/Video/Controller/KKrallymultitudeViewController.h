#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Records/KKenthusiasticreap.h"
#include "app/Records/KKreapedit.h"
#include "platform/AVKit/AVRoutePickerView.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"
#include "platform/SJVideoPlayer/SJVideoPlayer.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KKcounciloblige;
class KKsuicideenrich;
class KKenrichchop;

// The detail and player page of one title played from one play source: a 16:9 player
// above one collection view holding the action header, the grid of the source's
// episodes and the info footer. On opening it loads the title's detail and the source's
// episode list (both kept in the title's cache record, so the page still works when a
// later request fails), finds the title's last playback record and starts the episode
// to play: every episode is resolved through the parse endpoint and played with the
// request headers its answer asks for, a finished download from the media cache proxy.
// The player's observers skip intros and outros, go on to the next episode, add the
// full-screen items and switch to the second engine after five failed loads.
//
// The opener sets `vod_id`, `type` and (from the downloaded episodes) `downloadSelectIndex`
// before showing the page.
class KKrallymultitudeViewController : public BaseViewController,
                                       public UICollectionViewDataSource,
                                       public UICollectionViewDelegateFlowLayout,
                                       public AVRoutePickerViewDelegate {
  public:
    std::string vod_id;
    std::string type;
    // The episode position chosen on the downloaded-episodes page; -1 when not opened from there.
    int downloadSelectIndex = -1;

    // ---- State (read by the page's parts and by tests) ----
    // The current episode's position in `list` (section 0).
    NSIndexPath index = NSIndexPath::indexPathForItem(0, 0);
    // The current episode's name: first the source's "name", then the episode's "item".
    std::string episode;
    // The source's episodes, one JSON object each ("item", "src").
    std::vector<JSON> list;
    // The title's detail.
    JSON json = JSON(JSON::Storage::object());
    // Failed-load observations over the page's life.
    int changeCount = 0;
    bool isFull = false;
    bool isSeek = false;
    bool isSeekEnd = false;
    bool isClearEnd = false;
    bool isChangePlayer = false;
    std::shared_ptr<KKcounciloblige> kkgrapeleap;
    std::shared_ptr<KKsuicideenrich> kkconfineblade;
    // The title's cache record, from the start of viewDidLoad on.
    std::shared_ptr<KKenthusiasticreap> kkbladequest;
    // The title's playback record: the latest found on opening, then the playing episode's.
    std::shared_ptr<SJPlaybackRecord> kkquestcommunicate;

    // ---- Views, made on first use ----
    const std::shared_ptr<UICollectionView>& collectionView();
    const std::shared_ptr<UIView>& kksummonhoney();
    const std::shared_ptr<SJVideoPlayer>& player();
    const std::shared_ptr<QMUIButton>& kktransferessence();
    const std::shared_ptr<QMUIButton>& kksupplementaryaggressive();
    const std::shared_ptr<QMUIButton>& kksubtleemployment();
    const std::shared_ptr<UIView>& kksightseeingtransfer();
    const std::shared_ptr<AVRoutePickerView>& kkhoneysightseeing();
    const std::shared_ptr<UIView>& kkdissolveconfine();

    // ---- The screen ----
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotate() const override { return false; }
    bool preferredNavigationBarHidden() const override { return true; }

    // ---- Loading and starting ----
    virtual void setupUI();
    virtual void setupPlayer();
    virtual void loadEpisodeList();
    virtual void loadHistory();
    // Starts the episode the page was opened for: the downloaded one, else the one of the
    // title's last playback record; nothing without either.
    virtual void playEpisode();
    // Plays the decrypted media address of a parse answer.
    virtual void startPlayback(const std::string& url, const JSON& answer);
    // Makes `indexPath` the current episode and resolves it (the grid, the strip and the
    // end of play choose episodes this way).
    void chooseEpisode(const NSIndexPath& indexPath);
    // Resolves an episode's source address; only the answer of the latest request starts
    // playback.
    void requestParse(const std::string& src);
    void handleParseResult(const std::optional<JSON>& answer, const std::string& src);
    // Slides in the full-screen episode strip.
    void openEpisodeStrip();

    // ---- Actions ----
    // Opens the rate panel over the player, the speed in use marked.
    void kkaggressivesubtle();
    // Opens a new skip editor for the title over the player.
    void openSkipEditor();

    // ---- The collection view ----
    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    std::shared_ptr<UICollectionReusableView>
    viewForSupplementaryElementOfKind(UICollectionView& collectionView, const std::string& kind,
                                      const NSIndexPath& indexPath) override;
    std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView& collectionView,
                                                          UICollectionViewLayout& layout,
                                                          long section) override;
    std::optional<CGSize> referenceSizeForFooterInSection(UICollectionView& collectionView,
                                                          UICollectionViewLayout& layout,
                                                          long section) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  private:
    std::weak_ptr<KKrallymultitudeViewController> weakSelf();
    // The header's closures.
    void installHeaderActions();
    void collect(bool selected);
    void openSourcePopup();
    void switchSource(const std::string& newType);
    void openFeedback();
    void ensureCacheRecord();
    void handleDetail(const std::optional<JSON>& answer);
    void handleEpisodeList(const std::optional<JSON>& answer);
    void setupAirPlayOverlay();
    void fillHeader();
    void fillFooter();
    void restartCurrentEpisode();
    void showPrompt(const std::string& text, std::optional<NSRange> highlighted,
                    std::optional<double> duration);

    // Playback observers.
    void installObservers();
    void rotationTransitioningChanged(SJRotationManager& manager, bool isTransitioning);
    void currentTimeDidChange();
    void playbackDidFinish();
    void playbackStatusDidChange();
    void timeControlStatusDidChange();
    void durationDidChange();

    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<UIView> kksummonhoney_;
    std::shared_ptr<SJVideoPlayer> player_;
    std::shared_ptr<QMUIButton> kktransferessence_;
    std::shared_ptr<QMUIButton> kksupplementaryaggressive_;
    std::shared_ptr<QMUIButton> kksubtleemployment_;
    std::shared_ptr<UIView> kksightseeingtransfer_;
    std::shared_ptr<AVRoutePickerView> kkhoneysightseeing_;
    std::shared_ptr<UIView> kkdissolveconfine_;
    std::shared_ptr<SJRotationObservation> rotationObservation_;

    // The skip record of the title, read again at every episode start.
    std::shared_ptr<KKreapedit> skipRecord_;
    // The outro skip's seek was made for the current episode.
    bool seekedToOutroEnd_ = false;
    // Numbers the parse requests; an answer that is not the latest one is ignored.
    std::uint64_t parseSequence_ = 0;
    // Numbers the episode-list requests the same way: after a change of source, the old
    // source's list may still arrive, and it is neither shown, cached nor played.
    std::uint64_t listSequence_ = 0;
    // The source address of the latest parse request.
    std::string requestedSrc_;
};
