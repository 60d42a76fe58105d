#include "platform/ImageIO/CGImageSource.h"

#include "platform/render/ImageDecoding.h"

CGImageSourceRef CGImageSourceCreateWithData(std::string_view data) {
    const bool isGIF = render::sniffImageFormat(data) == render::ImageFormat::gif;
    auto decoded = render::decodeImage(data, 1);
    if (!decoded) {
        return nullptr;
    }
    std::vector<CGImageSource::Frame> frames;
    for (const render::ImageFrame& frame : decoded->frames) {
        CGImageProperties properties;
        properties.pixelWidth = frame.image->width();
        properties.pixelHeight = frame.image->height();
        if (isGIF) {
            CGImageGIFProperties gif;
            if (frame.delay) {
                gif.unclampedDelayTime = *frame.delay;
                gif.delayTime = *frame.delay > 0.01 ? *frame.delay : 0.1;
            }
            properties.gif = gif;
        }
        frames.push_back({frame.image, properties});
    }
    return std::make_shared<const CGImageSource>(std::move(frames));
}

std::size_t CGImageSourceGetCount(const CGImageSourceRef& source) {
    return source ? source->frames().size() : 0;
}

CGImageRef CGImageSourceCreateImageAtIndex(const CGImageSourceRef& source, std::size_t index) {
    if (!source || index >= source->frames().size()) {
        return nullptr;
    }
    return source->frames()[index].image;
}

std::optional<CGImageProperties> CGImageSourceCopyPropertiesAtIndex(const CGImageSourceRef& source,
                                                                    std::size_t index) {
    if (!source || index >= source->frames().size()) {
        return std::nullopt;
    }
    return source->frames()[index].properties;
}
