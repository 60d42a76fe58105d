#include "platform/SJVideoPlayer/SJVideoPlayerResources.h"

#include "platform/Foundation/NotificationCenter.h"

namespace {

// The framework's control images: white drawings on a 24-point canvas.
std::shared_ptr<UIImage> drawing(const std::string& body) {
    const std::string svg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">)" + body +
        "</svg>";
    return UIImage::imageWithData(svg, 0);
}

constexpr const char* kStroke =
    R"( fill="none" stroke="#fff" stroke-width="2" stroke-linecap="round" stroke-linejoin="round")";

SJVideoPlayerResources makeDefaults() {
    SJVideoPlayerResources resources;
    resources.backImage = drawing(std::string(R"(<path d="M15 4.5L7.5 12l7.5 7.5")") + kStroke + "/>");
    resources.playImage = drawing(R"(<path d="M8 5.2v13.6L18.8 12z" fill="#fff"/>)");
    resources.pauseImage = drawing(R"(<rect x="6.5" y="5.5" width="3.6" height="13" rx="1" fill="#fff"/>)"
                                   R"(<rect x="13.9" y="5.5" width="3.6" height="13" rx="1" fill="#fff"/>)");
    resources.fullscreenImage =
        drawing(std::string(R"(<path d="M4 9V4h5M15 4h5v5M20 15v5h-5M9 20H4v-5")") + kStroke + "/>");
    resources.smallScreenImage =
        drawing(std::string(R"(<path d="M9 4v5H4M20 9h-5V4M15 20v-5h5M4 15h5v5")") + kStroke + "/>");
    resources.moreImage =
        drawing(R"(<circle cx="5" cy="12" r="2" fill="#fff"/><circle cx="12" cy="12" r="2" fill="#fff"/>)"
                R"(<circle cx="19" cy="12" r="2" fill="#fff"/>)");
    resources.replayImage = drawing(std::string(R"(<path d="M5.2 13.5a7 7 0 1 0 1.9-6.4")") + kStroke + "/>" +
                                    R"(<path d="M6 3.5v4.5h4.5")" + kStroke + "/>");
    return resources;
}

} // namespace

SJVideoPlayerResources& SJVideoPlayerResources::shared() {
    static SJVideoPlayerResources resources = makeDefaults();
    return resources;
}

void SJVideoPlayerResources::update(const std::function<void(SJVideoPlayerResources& resources)>& block) {
    if (!block) {
        return;
    }
    block(shared());
    NotificationCenter::defaultCenter().post(SJVideoPlayerResourcesDidChangeNotification);
}
