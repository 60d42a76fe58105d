#include "platform/UIKit/BackdropBlur.h"

#include "platform/Foundation/DispatchQueue.h"
#include "platform/render/Blur.h"

#include <algorithm>

namespace {

// The blur of a whole picture, made on a reduced copy: a strong blur keeps nothing that
// the reduction loses, and the copy is enlarged smoothly when drawn.
CGImageRef makeBlur(const CGImage& picture) {
    int halvings = 0;
    while (std::max(picture.width(), picture.height()) > (BackdropBlur::kWorkingSize << halvings)) {
        ++halvings;
    }
    const CGImage& working = picture.reduced(halvings);
    const double sigma = std::min(working.width(), working.height()) * BackdropBlur::kSigmaOfShorterSide;
    return render::blurredImage(working, sigma);
}

} // namespace

BackdropBlur& BackdropBlur::shared() {
    static BackdropBlur* const instance = new BackdropBlur;
    return *instance;
}

CGImageRef BackdropBlur::blurred(const CGImageRef& picture, std::function<void()> ready) {
    if (!picture) {
        return nullptr;
    }
    std::erase_if(entries_, [](const auto& item) { return item.second.picture.expired(); });
    const CGImage* key = picture.get();
    if (auto found = entries_.find(key); found != entries_.end()) {
        if (found->second.copy) {
            return found->second.copy;
        }
        if (ready) {
            found->second.waiting.push_back(std::move(ready));
        }
        return nullptr;
    }
    Entry& entry = entries_[key];
    entry.picture = picture;
    if (ready) {
        entry.waiting.push_back(std::move(ready));
    }
    DispatchQueue::global().async([key, picture] {
        CGImageRef copy = makeBlur(*picture);
        DispatchQueue::main().async([key, picture, copy] { shared().finished(key, picture, copy); });
    });
    return nullptr;
}

void BackdropBlur::finished(const CGImage* key, const CGImageRef& picture, CGImageRef copy) {
    ++blursMade_;
    auto found = entries_.find(key);
    if (found == entries_.end() || found->second.picture.lock() != picture) {
        return;
    }
    // A picture that could not be blurred shows itself rather than nothing.
    found->second.copy = copy ? std::move(copy) : picture;
    auto waiting = std::move(found->second.waiting);
    for (auto& ready : waiting) {
        ready();
    }
}
