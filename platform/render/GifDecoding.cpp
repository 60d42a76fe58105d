#include "platform/render/ImageDecoding.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace render {
namespace {

struct MemoryReader {
    std::string_view bytes;
    std::size_t position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t available = reader->bytes.size() - reader->position;
    const std::size_t count = std::min<std::size_t>(available, static_cast<std::size_t>(std::max(length, 0)));
    std::memcpy(buffer, reader->bytes.data() + reader->position, count);
    reader->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

std::uint32_t opaqueARGB(const GifColorType& c) {
    return 0xFF000000u | (std::uint32_t(c.Red) << 16) | (std::uint32_t(c.Green) << 8) | c.Blue;
}

CGImageRef imageOfCanvas(const std::vector<std::uint32_t>& canvas, int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride,
                    canvas.data() + static_cast<std::ptrdiff_t>(y) * width,
                    static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_mark_dirty(surface);
    return CGImage::adopt(surface);
}

} // namespace

std::optional<std::vector<ImageFrame>> decodeGIF(std::string_view bytes) {
    MemoryReader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readFromMemory, &error));
    if (!gif) {
        return std::nullopt;
    }
    // A damaged or truncated file keeps the frames read completely before the damage.
    int frameCount = gif->ImageCount;
    if (DGifSlurp(gif.get()) == GIF_OK) {
        frameCount = gif->ImageCount;
    } else {
        frameCount = std::max(0, gif->ImageCount - 1);
    }
    if (frameCount <= 0) {
        return std::nullopt;
    }

    int width = gif->SWidth;
    int height = gif->SHeight;
    if (width <= 0 || height <= 0) {
        // Some encoders leave the screen size empty; the frames then define it.
        width = height = 0;
        for (int i = 0; i < frameCount; ++i) {
            const GifImageDesc& d = gif->SavedImages[i].ImageDesc;
            width = std::max(width, d.Left + d.Width);
            height = std::max(height, d.Top + d.Height);
        }
    }
    if (width <= 0 || height <= 0 || double(width) * height * frameCount > kMaxDecodedPixels) {
        return std::nullopt;
    }

    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::vector<ImageFrame> frames;
    for (int i = 0; i < frameCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        const GifImageDesc& d = saved.ImageDesc;
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        const bool hasControl = DGifSavedExtensionToGCB(gif.get(), i, &control) == GIF_OK;
        const ColorMapObject* colors = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;

        std::vector<std::uint32_t> previous;
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            previous = canvas;
        }
        const int x0 = std::max(0, d.Left), y0 = std::max(0, d.Top);
        const int x1 = std::min(width, d.Left + d.Width), y1 = std::min(height, d.Top + d.Height);
        if (saved.RasterBits != nullptr && colors != nullptr) {
            for (int y = y0; y < y1; ++y) {
                const GifByteType* row = saved.RasterBits + static_cast<std::ptrdiff_t>(y - d.Top) * d.Width;
                for (int x = x0; x < x1; ++x) {
                    const int index = row[x - d.Left];
                    if (index == control.TransparentColor || index >= colors->ColorCount) {
                        continue;
                    }
                    canvas[static_cast<std::size_t>(y) * width + x] = opaqueARGB(colors->Colors[index]);
                }
            }
        }
        CGImageRef image = imageOfCanvas(canvas, width, height);
        if (!image) {
            return std::nullopt;
        }
        frames.push_back(
            {image, hasControl ? std::optional<double>(control.DelayTime / 100.0) : std::nullopt});

        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = y0; y < y1; ++y) {
                std::fill_n(canvas.begin() + static_cast<std::ptrdiff_t>(y) * width + x0, x1 - x0, 0u);
            }
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            canvas = std::move(previous);
        }
    }
    return frames;
}

} // namespace render
