// Starting episodes: choosing the episode, resolving its address through the parse
// endpoint and handing the media to the player.
#include "MainController/Video/Controller/KKrallymultitudeViewController.h"

#include "MainController/Video/Model/EpisodeStartRules.h"
#include "app/Crypto/MIUAES.h"
#include "app/Extensions/UIViewExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKfinancerub.h"
#include "app/Network/KKriplog.h"
#include "app/Records/KKcommenthumble.h"
#include "app/Records/KKeditjerk.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJPlaybackRecordSaveHandler.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/YYText/NSAttributedString+YYText.h"

void KKrallymultitudeViewController::playEpisode() {
    if (list.empty()) {
        return;
    }
    long position = 0;
    if (downloadSelectIndex >= 0) {
        position = downloadSelectIndex;
    } else {
        if (!kkquestcommunicate) {
            return;
        }
        const auto recorded = EpisodeStartRules::recordedPosition(*kkquestcommunicate, vod_id);
        if (!recorded) {
            return;
        }
        position = *recorded;
    }
    const auto count = static_cast<long>(list.size());
    const auto chosen = NSIndexPath::indexPathForItem(std::min(position, count - 1), 0);
    // The detail answer may have started this very episode already (its playback record
    // is then the one found here): it is not started twice.
    if (parseSequence_ > 0 &&
        list[static_cast<std::size_t>(chosen.item)]["src"].stringValue() == requestedSrc_) {
        return;
    }
    chooseEpisode(chosen);
}

void KKrallymultitudeViewController::chooseEpisode(const NSIndexPath& indexPath) {
    if (indexPath.item < 0 || indexPath.item >= static_cast<long>(list.size())) {
        return;
    }
    index = indexPath;
    const JSON& chosen = list[static_cast<std::size_t>(indexPath.item)];
    episode = chosen["item"].stringValue();
    requestParse(chosen["src"].stringValue());
}

// The engine switch plays the episode on screen again, also on a page opened for a
// download after the user moved on to another episode.
void KKrallymultitudeViewController::restartCurrentEpisode() {
    if (index.item >= 0 && index.item < static_cast<long>(list.size())) {
        chooseEpisode(index);
    } else {
        playEpisode();
    }
}

void KKrallymultitudeViewController::requestParse(const std::string& src) {
    QMUITips::showLoadingInView(view());
    const std::uint64_t sequence = ++parseSequence_;
    requestedSrc_ = src;
    auto weak = weakSelf();
    apiClient.getParse(type, src, [weak, src, sequence](std::optional<JSON> answer, std::optional<NSError>) {
        auto page = weak.lock();
        if (!page) {
            return;
        }
        if (answer) {
            // Every answer is kept for its address, also one that arrives too late to play.
            (void)KKeditjerk::storeAnswer(src, *answer);
        }
        if (sequence == page->parseSequence_) {
            page->handleParseResult(answer, src);
        }
    });
    collectionView()->reloadData();
}

void KKrallymultitudeViewController::handleParseResult(const std::optional<JSON>& answer,
                                                       const std::string& src) {
    JSON resolved;
    if (answer) {
        resolved = *answer;
    } else {
        auto stored = KKeditjerk::storedAnswer(src);
        if (!stored || !*stored) {
            return;
        }
        resolved = **stored;
    }
    const std::string encrypted = resolved["url"].stringValue();
    if (encrypted.empty()) {
        return;
    }
    startPlayback(MIUAES::MIUAESDecrypt(encrypted), resolved);
}

void KKrallymultitudeViewController::startPlayback(const std::string& url, const JSON& answer) {
    if (!EpisodeStartRules::isPlayableAddress(url)) {
        return;
    }
    isSeek = false;
    isSeekEnd = false;
    isClearEnd = false;
    seekedToOutroEnd_ = false;
    const AVURLAssetOptions options = EpisodeStartRules::mediaRequestOptions(answer);
    const long position = index.item;
    const std::string positionText = std::to_string(position);

    // The playback record. Media identifiers of different titles can coincide, so a
    // stored record counts only when it is this title's record of this episode.
    const auto mediaId = EpisodeStartRules::mediaIdentifier(vod_id, position);
    std::shared_ptr<SJPlaybackRecord> record;
    if (auto found = SJPlaybackHistoryController::shared().recordForMedia(mediaId, 0, SJMediaTypeVideo);
        found && *found && (*found)->vodId == vod_id && (*found)->index == positionText) {
        record = *found;
    } else {
        const KKfinancerub model(json);
        record = std::make_shared<SJPlaybackRecord>();
        record->mediaId = mediaId;
        record->mediaType = SJMediaTypeVideo;
        record->userId = 0;
        record->vodId = model.vodId ? model.vodId : std::optional<std::string>(vod_id);
        record->cover = model.vodPic;
        record->title = model.vodName;
        record->episode = episode;
        record->index = positionText;
        record->duration = "0";
    }
    kkquestcommunicate = record;

    const std::string assetTitle = json["vod_name"].stringValue() + " " + episode;
    auto asset = std::make_shared<AVURLAsset>(url, options);

    // A finished download plays from the media cache proxy.
    auto download = KKcommenthumble::findFirst(ASAttributes{{"vod_id", vod_id}, {"index", positionText}});
    if (download && *download && (*download)->state == "finish" &&
        EpisodeStartRules::isPlayableAddress((*download)->url)) {
        auto& saved = **download;
        if (saved.watching == "no") {
            saved.watching = "yes";
            (void)saved.update();
        }
        if (auto local = SJMediaCacheServer::shared().playbackURLWithURL(saved.url)) {
            asset = std::make_shared<AVURLAsset>(*local, options);
            SJMediaCacheServer::shared().setActive(true);
        }
    }

    const auto resume = EpisodeStartRules::resumePoint(*record);
    if (resume.nearEnd) {
        isSeekEnd = true;
        isClearEnd = true;
        record->position = resume.position;
    }

    auto media =
        SJVideoPlayerURLAsset::initWithAVAsset(asset, record->position, std::make_shared<SJPlayModel>());
    if (!media) {
        return;
    }
    if (isChangePlayer) {
        AVPUrlSource source;
        if (auto second =
                SJVideoPlayerURLAsset::initWithSource(source.urlWithString(asset->URL()), record->position)) {
            media = second;
        }
    }
    if (EpisodeStartRules::isProxyAddress(asset->URL(),
                                          SJMediaCacheServer::shared().playbackURLPrefix().value_or(""))) {
        if (auto local = SJVideoPlayerURLAsset::initWithURL(asset->URL(), record->position)) {
            media = local;
        }
    }
    media->setIsM3u8(EpisodeStartRules::pathExtensionIsM3u8(asset->URL()));
    media->setTitle(assetTitle);
    media->setRecord(record);
    player()->setURLAsset(media);

    if (record->position > 0.0) {
        showPrompt(EpisodeStartRules::resumePromptText(record->position), std::nullopt, std::nullopt);
    }
    auto skip = KKreapedit::findFirst(ASAttributes{{"vod_id", vod_id}});
    skipRecord_ = skip ? *skip : nullptr;
    if (!skipRecord_) {
        showPrompt("设置开启跳过片头片尾", NSRange{0, 2}, std::nullopt);
        // A tap on the offer takes it away and opens the skip editor.
        const auto prompts = player()->promptingPopupController().displayingViews();
        if (!prompts.empty()) {
            auto weak = weakSelf();
            addTapAction(*prompts.back(), [weak](UITapGestureRecognizer&) {
                if (auto page = weak.lock()) {
                    page->player()->promptingPopupController().clear();
                    page->openSkipEditor();
                }
            });
        }
    }
    SJPlaybackRecordSaveHandler::shared().setEvents(127);
}

void KKrallymultitudeViewController::showPrompt(const std::string& text, std::optional<NSRange> highlighted,
                                                std::optional<double> duration) {
    NSMutableAttributedString prompt(text);
    setYy_color(prompt, UIColor::whiteColor());
    setYy_font(prompt, UIFont::systemFontOfSize(14));
    if (highlighted) {
        yy_setColor(prompt, UIColor::systemTealColor(), *highlighted);
    }
    if (duration) {
        player()->promptingPopupController().show(prompt, *duration);
    } else {
        player()->promptingPopupController().show(prompt);
    }
}
