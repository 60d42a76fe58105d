#include "app/Extensions/UIImageGif.h"

#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/Log.h"
#include "platform/Foundation/PercentEncoding.h"

#include <cstdint>
#include <numeric>
#include <optional>
#include <vector>

namespace {

constexpr double kMinimumDelay = 0.1;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The local path of a "file:" URL (with or without a "localhost" authority); nothing for
// any other URL or a broken percent escape.
std::optional<std::string> filePath(const std::string& url) {
    constexpr std::string_view scheme = "file://";
    if (url.compare(0, scheme.size(), scheme) != 0) {
        return std::nullopt;
    }
    std::string_view rest = std::string_view(url).substr(scheme.size());
    if (rest.compare(0, 9, "localhost") == 0) {
        rest.remove_prefix(9);
    }
    if (rest.empty() || rest.front() != '/') {
        return std::nullopt;
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    return percentDecoded(rest);
}

} // namespace

std::shared_ptr<UIImage> gifImageWithData(std::string_view data) {
    CGImageSourceRef source = CGImageSourceCreateWithData(data);
    if (!source) {
        consoleLog("image doesn't exist");
        return nullptr;
    }
    return animatedImageWithSource(source);
}

std::shared_ptr<UIImage> gifImageWithURL(const std::string& url) {
    if (!isURLText(url)) {
        consoleLog("image named " + quoted(url) + " doesn't exist");
        return nullptr;
    }
    std::optional<std::string> data;
    if (auto path = filePath(url)) {
        data = readWholeFile(*path);
    }
    if (!data) {
        consoleLog("image named " + quoted(url) + " into NSData");
        return nullptr;
    }
    return gifImageWithData(*data);
}

std::shared_ptr<UIImage> gifImageWithName(const std::string& name) {
    const auto path = Bundle::main().pathForResource(name, "gif");
    if (!path) {
        consoleLog("SwiftGif: This image named " + quoted(name) + " does not exist");
        return nullptr;
    }
    const auto data = readWholeFile(*path);
    if (!data) {
        consoleLog("SwiftGif: Cannot turn image named " + quoted(name) + " into NSData");
        return nullptr;
    }
    return gifImageWithData(*data);
}

double delayForImageAtIndex(std::size_t index, const CGImageSourceRef& source) {
    const auto properties = CGImageSourceCopyPropertiesAtIndex(source, index);
    if (!properties || !properties->gif) {
        return kMinimumDelay;
    }
    std::optional<double> delay = properties->gif->unclampedDelayTime;
    if (!delay || *delay == 0) {
        delay = properties->gif->delayTime;
    }
    return delay && *delay >= kMinimumDelay ? *delay : kMinimumDelay;
}

std::shared_ptr<UIImage> animatedImageWithSource(const CGImageSourceRef& source) {
    // Frames whose picture cannot be made are left out together with their delays, so
    // the pictures and the delays always pair up.
    std::vector<std::shared_ptr<UIImage>> pictures;
    std::vector<std::int64_t> delays;
    const std::size_t count = CGImageSourceGetCount(source);
    for (std::size_t index = 0; index < count; ++index) {
        CGImageRef frame = CGImageSourceCreateImageAtIndex(source, index);
        if (!frame) {
            continue;
        }
        pictures.push_back(UIImage::imageWithCGImage(frame));
        delays.push_back(static_cast<std::int64_t>(delayForImageAtIndex(index, source) * 1000));
    }
    if (pictures.empty()) {
        return nullptr;
    }
    const std::int64_t duration = std::accumulate(delays.begin(), delays.end(), std::int64_t{0});
    std::int64_t divisor = delays.front();
    for (const std::int64_t delay : delays) {
        divisor = std::gcd(divisor, delay);
    }
    std::vector<std::shared_ptr<UIImage>> entries;
    for (std::size_t index = 0; index < pictures.size(); ++index) {
        entries.insert(entries.end(), static_cast<std::size_t>(delays[index] / divisor), pictures[index]);
    }
    return UIImage::animatedImageWithImages(entries, double(duration) / 1000);
}
