#include "platform/host/SurfacePresenter.h"

#include "platform/Foundation/Log.h"

#include <SDL2/SDL.h>

#include <string>

namespace {

// Whether SDL's pixels are laid out as Cairo's RGB24 (32 bits, blue in the lowest byte).
bool isCairoLayout(const SDL_Surface* pixels) {
    const SDL_PixelFormat* format = pixels->format;
    return format->BytesPerPixel == 4 && format->Rmask == 0x00FF0000 && format->Gmask == 0x0000FF00 &&
           format->Bmask == 0x000000FF;
}

} // namespace

SurfacePresenter::SurfacePresenter(SDL_Window* window) : window_(window) {}

SurfacePresenter::~SurfacePresenter() {
    if (staging_ != nullptr) {
        cairo_surface_destroy(staging_);
    }
}

cairo_surface_t* SurfacePresenter::drawingSurface(SDL_Surface* pixels) {
    if (isCairoLayout(pixels)) {
        return cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels->pixels),
                                                   CAIRO_FORMAT_RGB24, pixels->w, pixels->h, pixels->pitch);
    }
    if (staging_ == nullptr || cairo_image_surface_get_width(staging_) != pixels->w ||
        cairo_image_surface_get_height(staging_) != pixels->h) {
        if (staging_ != nullptr) {
            cairo_surface_destroy(staging_);
        }
        staging_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels->w, pixels->h);
    }
    return cairo_surface_reference(staging_);
}

bool SurfacePresenter::present(cairo_surface_t* image, const std::vector<cairo_rectangle_int_t>& rectangles,
                               bool whole) {
    SDL_Surface* pixels = SDL_GetWindowSurface(window_);
    if (pixels == nullptr) {
        if (!failureLogged_) {
            failureLogged_ = true;
            consoleLog(std::string("[Host] The window's pixels could not be had: ") + SDL_GetError());
        }
        return false;
    }
    const int imageWidth = cairo_image_surface_get_width(image);
    const int imageHeight = cairo_image_surface_get_height(image);
    const bool scaled = pixels->w != imageWidth || pixels->h != imageHeight;
    whole = whole || pixels != shown_ || pixels->w != shownWidth_ || pixels->h != shownHeight_;
    if (!whole && rectangles.empty()) {
        return false;
    }
    // A changed pixel of the image reaches beyond its own place once scaled.
    whole = whole || scaled;
    shown_ = pixels;
    shownWidth_ = pixels->w;
    shownHeight_ = pixels->h;
    if (SDL_MUSTLOCK(pixels) && SDL_LockSurface(pixels) != 0) {
        return false;
    }
    cairo_surface_flush(image);
    cairo_surface_t* target = drawingSurface(pixels);
    cairo_t* cr = cairo_create(target);
    // Premultiplied colour bytes copied as they are: the image over black.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (scaled) {
        cairo_scale(cr, static_cast<double>(pixels->w) / imageWidth,
                    static_cast<double>(pixels->h) / imageHeight);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
    } else {
        cairo_set_source_surface(cr, image, 0, 0);
        if (whole) {
            cairo_paint(cr);
        } else {
            for (const auto& rect : rectangles) {
                cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
            }
            cairo_fill(cr);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    const std::vector<cairo_rectangle_int_t> all{{0, 0, pixels->w, pixels->h}};
    const auto& updated = whole ? all : rectangles;
    if (!isCairoLayout(pixels)) {
        for (const auto& rect : updated) {
            const int stride = cairo_image_surface_get_stride(staging_);
            SDL_ConvertPixels(rect.width, rect.height, SDL_PIXELFORMAT_RGB888,
                              cairo_image_surface_get_data(staging_) + rect.y * stride + rect.x * 4, stride,
                              pixels->format->format,
                              static_cast<unsigned char*>(pixels->pixels) + rect.y * pixels->pitch +
                                  rect.x * pixels->format->BytesPerPixel,
                              pixels->pitch);
        }
    }
    if (SDL_MUSTLOCK(pixels)) {
        SDL_UnlockSurface(pixels);
    }
    update(pixels, updated);
    return true;
}

void SurfacePresenter::update(SDL_Surface* pixels, const std::vector<cairo_rectangle_int_t>& rectangles) {
    std::vector<SDL_Rect> rects;
    rects.reserve(rectangles.size());
    for (const auto& rect : rectangles) {
        SDL_Rect area{rect.x, rect.y, rect.width, rect.height};
        const SDL_Rect bounds{0, 0, pixels->w, pixels->h};
        SDL_Rect shown;
        if (SDL_IntersectRect(&area, &bounds, &shown)) {
            rects.push_back(shown);
        }
    }
    if (!rects.empty()) {
        SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
    }
}

cairo_surface_t* SurfacePresenter::readFrame() {
    SDL_Surface* pixels = SDL_GetWindowSurface(window_);
    if (pixels == nullptr) {
        return nullptr;
    }
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels->w, pixels->h);
    cairo_surface_flush(frame);
    if (SDL_MUSTLOCK(pixels) && SDL_LockSurface(pixels) != 0) {
        return frame;
    }
    SDL_ConvertPixels(pixels->w, pixels->h, pixels->format->format, pixels->pixels, pixels->pitch,
                      SDL_PIXELFORMAT_RGB888, cairo_image_surface_get_data(frame),
                      cairo_image_surface_get_stride(frame));
    if (SDL_MUSTLOCK(pixels)) {
        SDL_UnlockSurface(pixels);
    }
    cairo_surface_mark_dirty(frame);
    return frame;
}
