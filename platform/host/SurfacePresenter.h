#pragma once

#include <cairo.h>

#include <vector>

struct SDL_Surface;
struct SDL_Window;

// Shows the screen image in the window's own pixels (SDL's window surface: memory shared
// with the X server, or the offscreen driver's memory), without OpenGL, so that no
// graphics driver is loaded. Only the rectangles that changed are copied; a window whose
// pixel size is not the image's (a screen scaled down to fit the display, a size the
// window manager chose) gets the whole image scaled. The image is premultiplied, so its
// colour bytes are already the image over black.
class SurfacePresenter {
  public:
    explicit SurfacePresenter(SDL_Window* window);
    ~SurfacePresenter();
    SurfacePresenter(const SurfacePresenter&) = delete;
    SurfacePresenter& operator=(const SurfacePresenter&) = delete;

    // Shows `rectangles` of `image` (all of it when `whole`, when the window's pixels were
    // made anew, or when it is scaled and anything changed); answers whether anything was
    // shown.
    bool present(cairo_surface_t* image, const std::vector<cairo_rectangle_int_t>& rectangles, bool whole);
    // What the window shows, as an opaque image of its pixel size (null without pixels).
    cairo_surface_t* readFrame();

  private:
    // The window's pixels as an RGB24 image to draw into: the pixels themselves when they
    // have that layout, else an image of their size converted into them on update.
    cairo_surface_t* drawingSurface(SDL_Surface* pixels);
    void update(SDL_Surface* pixels, const std::vector<cairo_rectangle_int_t>& rectangles);

    SDL_Window* window_;
    // The pixels drawn last and their size: pixels made anew are drawn whole.
    SDL_Surface* shown_ = nullptr;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    // For windows whose pixels are not 32-bit RGB: the image drawn there, converted after.
    cairo_surface_t* staging_ = nullptr;
    bool failureLogged_ = false;
};
