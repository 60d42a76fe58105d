#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <vector>

// Shows the screen image through OpenGL: the image lives in a texture that receives only
// the rectangles that changed, and is drawn with premultiplied-alpha blending over
// whatever the underlay drew first (video). Needs a current OpenGL context.
class GLPresenter {
public:
    using Underlay = std::function<void(int drawableWidth, int drawableHeight)>;

    GLPresenter(int textureWidth, int textureHeight);
    ~GLPresenter();
    GLPresenter(const GLPresenter&) = delete;
    GLPresenter& operator=(const GLPresenter&) = delete;

    // Whether the context offered everything needed (shaders, textures).
    bool isReady() const { return ready_; }
    // Copies `rectangles` of `image` (the size of the texture) into the texture.
    void upload(cairo_surface_t* image, const std::vector<cairo_rectangle_int_t>& rectangles);
    // Clears to black, runs the underlay, then draws the interface over the drawable.
    void draw(int drawableWidth, int drawableHeight, const Underlay& underlay);
    // The drawn frame (call before swapping), as an opaque image of the drawable's size.
    cairo_surface_t* readFrame(int drawableWidth, int drawableHeight);

private:
    struct Functions;
    std::unique_ptr<Functions> gl_;
    unsigned texture_ = 0;
    unsigned program_ = 0;
    int textureWidth_;
    int textureHeight_;
    bool ready_ = false;
};
