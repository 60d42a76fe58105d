#include "platform/AVFoundation/Media/VideoGLContext.h"

namespace {

std::shared_ptr<VideoGLContext>& lent() {
    static std::shared_ptr<VideoGLContext> context;
    return context;
}

} // namespace

VideoGLContext::VideoGLContext(FunctionLookup lookup) : lookup_(std::move(lookup)) {}

std::shared_ptr<VideoGLContext> VideoGLContext::current() {
    return lent();
}

void VideoGLContext::lend(std::shared_ptr<VideoGLContext> context) {
    lent() = std::move(context);
}

void* VideoGLContext::functionAddress(const char* name) const {
    return alive_ ? lookup_(name) : nullptr;
}

std::shared_ptr<void> VideoGLContext::onWithdrawal(std::function<void()> release) {
    auto shared = std::make_shared<std::function<void()>>(std::move(release));
    std::erase_if(releases_, [](const auto& known) { return known.expired(); });
    releases_.push_back(shared);
    return shared;
}

void VideoGLContext::withdraw() {
    if (!alive_) {
        return;
    }
    if (lent().get() == this) {
        lent().reset();
    }
    // A release may drop other tokens; each runs only while its token lives.
    const auto releases = std::move(releases_);
    releases_.clear();
    for (const auto& weakRelease : releases) {
        if (auto release = weakRelease.lock()) {
            (*release)();
        }
    }
    alive_ = false;
}
