#include "platform/UIKit/UIImage.h"

#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/Bundle.h"
#include "platform/UIKit/UIGraphics.h"
#include "platform/render/DisplayScale.h"
#include "platform/render/ImageDecoding.h"
#include "platform/render/Paint.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <numeric>

namespace {

// Browsers (and the platform's animated images) show GIF frames of 10 ms or less for 100 ms.
double shownDelay(std::optional<double> delay) {
    return delay && *delay > 0.01 ? *delay : 0.1;
}

std::shared_ptr<UIImage> imageFromFile(const std::filesystem::path& path, CGFloat scale) {
    auto bytes = readWholeFile(path);
    return bytes ? UIImage::imageWithData(*bytes, scale) : nullptr;
}

// The resource file for `name`, with the scale its pixels are drawn at.
std::shared_ptr<UIImage> loadNamed(const std::string& name) {
    const Bundle& bundle = Bundle::main();
    const double screenScale = render::displayScale();
    if (auto svg = bundle.pathForResource(name, "svg")) {
        return imageFromFile(*svg, screenScale);
    }
    const int preferred = static_cast<int>(std::lround(screenScale));
    std::vector<int> scales{preferred, 3, 2, 1};
    for (const char* type : {"png", "jpg", "jpeg", "gif", "webp"}) {
        for (int scale : scales) {
            const std::string file = scale == 1 ? name : name + "@" + std::to_string(scale) + "x";
            if (auto path = bundle.pathForResource(file, type)) {
                return imageFromFile(*path, scale);
            }
        }
    }
    // A name given with its extension.
    if (auto path = bundle.pathForResource(name, "")) {
        return imageFromFile(*path, screenScale);
    }
    return nullptr;
}

std::shared_ptr<UIImage> cachedResource(const std::string& key,
                                        const std::function<std::shared_ptr<UIImage>()>& load) {
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<UIImage>> cache;
    {
        std::lock_guard guard(lock);
        if (auto found = cache.find(key); found != cache.end()) {
            return found->second;
        }
    }
    auto image = load();
    std::lock_guard guard(lock);
    return cache.emplace(key, image).first->second;
}

} // namespace

UIImage::UIImage(CGImageRef image, CGFloat scale, UIImageRenderingMode mode)
    : image_(std::move(image)), scale_(scale > 0 && std::isfinite(scale) ? scale : 1), renderingMode_(mode) {}

std::shared_ptr<UIImage> UIImage::imageNamed(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    return cachedResource(name, [&] { return loadNamed(name); });
}

std::shared_ptr<UIImage> UIImage::systemImageNamed(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    return cachedResource("symbols/" + name, [&]() -> std::shared_ptr<UIImage> {
        auto path = Bundle::main().pathForResource(name, "svg");
        if (!path || path->parent_path().filename() != "symbols") {
            return nullptr;
        }
        auto image = imageFromFile(*path, render::displayScale());
        return image ? image->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate) : nullptr;
    });
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::string_view data, CGFloat scale) {
    const double svgScale = scale > 0 ? scale : render::displayScale();
    auto decoded = render::decodeImage(data, svgScale);
    if (!decoded) {
        return nullptr;
    }
    const double imageScale =
        render::sniffImageFormat(data) == render::ImageFormat::svg ? decoded->scale : (scale > 0 ? scale : 1);
    if (decoded->frames.size() == 1) {
        return std::make_shared<UIImage>(decoded->frames.front().image, imageScale);
    }
    std::vector<std::shared_ptr<UIImage>> frames;
    std::vector<double> durations;
    for (const render::ImageFrame& frame : decoded->frames) {
        frames.push_back(std::make_shared<UIImage>(frame.image, imageScale));
        durations.push_back(shownDelay(frame.delay));
    }
    return animation(std::move(frames), std::move(durations));
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& path) {
    const std::filesystem::path file(path);
    // "name@2x.png" holds pixels for a scale of 2.
    const std::string stem = file.stem().string();
    double scale = 1;
    if (stem.size() > 3 && stem[stem.size() - 3] == '@' && stem.back() == 'x' &&
        std::isdigit(static_cast<unsigned char>(stem[stem.size() - 2]))) {
        scale = stem[stem.size() - 2] - '0';
    }
    auto bytes = readWholeFile(file);
    if (!bytes) {
        return nullptr;
    }
    return imageWithData(*bytes, render::sniffImageFormat(*bytes) == render::ImageFormat::svg ? 0 : scale);
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(CGImageRef image, CGFloat scale) {
    if (!image) {
        return nullptr;
    }
    return std::make_shared<UIImage>(std::move(image), scale);
}

std::shared_ptr<UIImage> UIImage::animatedImageWithImages(const std::vector<std::shared_ptr<UIImage>>& images,
                                                          double duration) {
    std::vector<std::shared_ptr<UIImage>> frames;
    for (const auto& image : images) {
        if (image) {
            frames.push_back(image);
        }
    }
    if (frames.empty()) {
        return nullptr;
    }
    const double each = duration > 0 && std::isfinite(duration) ? duration / double(frames.size()) : 0;
    std::vector<double> durations(frames.size(), each);
    return animation(std::move(frames), std::move(durations));
}

std::shared_ptr<UIImage> UIImage::animation(std::vector<std::shared_ptr<UIImage>> frames,
                                            std::vector<double> durations) {
    auto image = std::make_shared<UIImage>(frames.front()->image_, frames.front()->scale_);
    image->duration_ = std::accumulate(durations.begin(), durations.end(), 0.0);
    image->images_ = std::move(frames);
    image->frameDurations_ = std::move(durations);
    return image;
}

std::shared_ptr<UIImage> UIImage::qmui_imageWithColor(const UIColor& color) {
    UIGraphicsBeginImageContextWithOptions({1, 1}, false, 0);
    std::shared_ptr<UIImage> image;
    if (CGContext* context = UIGraphicsGetCurrentContext()) {
        render::fillRoundedRect(context->cairo(), {{0, 0}, {1, 1}}, {},
                                {color.red, color.green, color.blue, color.alpha});
        image = UIGraphicsGetImageFromCurrentImageContext();
    }
    UIGraphicsEndImageContext();
    return image;
}

std::shared_ptr<UIImage> UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const {
    auto copy = std::make_shared<UIImage>(*this);
    copy->renderingMode_ = mode;
    for (auto& frame : copy->images_) {
        frame = frame->imageWithRenderingMode(mode);
    }
    return copy;
}

CGSize UIImage::size() const {
    if (!image_) {
        return CGSizeZero;
    }
    return {image_->width() / scale_, image_->height() / scale_};
}

const UIImage& UIImage::imageAtTime(double seconds) const {
    if (images_.empty() || !(duration_ > 0) || !std::isfinite(seconds)) {
        return images_.empty() ? *this : *images_.front();
    }
    double t = std::fmod(seconds, duration_);
    if (t < 0) {
        t += duration_;
    }
    for (std::size_t i = 0; i < images_.size(); ++i) {
        if (t < frameDurations_[i]) {
            return *images_[i];
        }
        t -= frameDurations_[i];
    }
    return *images_.back();
}
