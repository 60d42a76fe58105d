#include "platform/SJBaseVideoPlayer/Playback/SJPlaybackRecordSaveHandler.h"

#include "platform/Foundation/Log.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"

#include <cmath>

SJPlaybackRecordSaveHandler& SJPlaybackRecordSaveHandler::shared() {
    static SJPlaybackRecordSaveHandler handler;
    return handler;
}

SJPlaybackRecordSaveHandler::SJPlaybackRecordSaveHandler()
    : listening_(SJPlayerEventCenter::shared().addListener(
          [this](SJPlayerEvent event, const SJPlayerEventInfo& info) { playerDidPost(event, info); })) {}

void SJPlaybackRecordSaveHandler::playerDidPost(SJPlayerEvent event, const SJPlayerEventInfo& info) {
    if ((events_ & event) == 0 || !info.asset || !info.asset->record()) {
        return;
    }
    const bool opened = info.assetStatus == SJAssetStatusReadyToPlay;
    if (!opened || !std::isfinite(info.currentTime)) {
        return;
    }
    const std::shared_ptr<SJPlaybackRecord>& record = info.asset->record();
    if (event == SJPlayerEventTimeDidChange) {
        std::erase_if(lastTickSaves_, [](const auto& entry) { return entry.second.first.expired(); });
        const double now = RunLoop::main().now();
        auto found = lastTickSaves_.find(record.get());
        if (found != lastTickSaves_.end() && now - found->second.second < periodicSaveInterval) {
            return;
        }
        lastTickSaves_[record.get()] = {record, now};
    }
    save(*record, info.currentTime);
}

void SJPlaybackRecordSaveHandler::save(SJPlaybackRecord& record, double position) {
    record.position = std::max(0.0, position);
    if (auto saved = SJPlaybackHistoryController::shared().save(record); !saved) {
        consoleLog("The playback record of media " + std::to_string(record.mediaId) +
                   " could not be saved: " + saved.error().message);
    }
}
