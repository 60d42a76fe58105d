#include "platform/SJBaseVideoPlayer/Playback/SJVideoPlayerURLAsset.h"

std::shared_ptr<SJVideoPlayerURLAsset>
SJVideoPlayerURLAsset::initWithAVAsset(std::shared_ptr<AVURLAsset> asset, double startPosition,
                                       std::shared_ptr<SJPlayModel> playModel) {
    if (!asset) {
        return nullptr;
    }
    auto made =
        std::shared_ptr<SJVideoPlayerURLAsset>(new SJVideoPlayerURLAsset(asset->URL(), startPosition));
    made->avAsset_ = std::move(asset);
    made->playModel_ = std::move(playModel);
    return made;
}

std::shared_ptr<SJVideoPlayerURLAsset> SJVideoPlayerURLAsset::initWithSource(const AVPUrlSource& source,
                                                                             double startPosition) {
    return initWithURL(source.playerUrl(), startPosition);
}

std::shared_ptr<SJVideoPlayerURLAsset> SJVideoPlayerURLAsset::initWithURL(std::string URL,
                                                                          double startPosition) {
    if (URL.empty()) {
        return nullptr;
    }
    return std::shared_ptr<SJVideoPlayerURLAsset>(new SJVideoPlayerURLAsset(std::move(URL), startPosition));
}

std::vector<std::pair<std::string, std::string>> SJVideoPlayerURLAsset::httpHeaderFields() const {
    if (!avAsset_) {
        return {};
    }
    const AVHTTPHeaderFields fields = avAsset_->httpHeaderFields();
    return {fields.begin(), fields.end()};
}
