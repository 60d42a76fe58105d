#pragma once

#include "platform/QuartzCore/CAExternalPicture.h"

#include <cairo.h>

#include <memory>
#include <vector>

// Shows the screen image through OpenGL: the image lives in a texture that receives only
// the rectangles that changed, and is drawn with premultiplied-alpha blending over the
// external pictures (video textures) drawn first where the image leaves their places
// open. Needs a current OpenGL context; leaves its state at OpenGL's defaults between
// calls, as libmpv's renderer, which draws into the same context, expects.
class GLPresenter {
  public:
    GLPresenter(int textureWidth, int textureHeight);
    ~GLPresenter();
    GLPresenter(const GLPresenter&) = delete;
    GLPresenter& operator=(const GLPresenter&) = delete;

    // Whether the context offered everything needed (shaders, textures).
    bool isReady() const { return ready_; }
    // A texture of another size (the screen turned); its pixels are undefined until the
    // next upload of the whole image.
    void resize(int textureWidth, int textureHeight);
    int textureWidth() const { return textureWidth_; }
    int textureHeight() const { return textureHeight_; }
    // Copies `rectangles` of `image` (the size of the texture) into the texture.
    void upload(cairo_surface_t* image, const std::vector<cairo_rectangle_int_t>& rectangles);
    // Clears to black, draws `pictures` (placed in the image's pixels), then the interface
    // over the whole drawable.
    void draw(int drawableWidth, int drawableHeight, const std::vector<CAExternalPicturePlacement>& pictures);
    // The drawn frame (call before swapping), as an opaque image of the drawable's size.
    cairo_surface_t* readFrame(int drawableWidth, int drawableHeight);

  private:
    // Draws `texture` (bound to unit 0 for the program) with the corner positions and
    // texture coordinates of a triangle strip.
    void drawQuad(unsigned texture, const float* positions, const float* texcoords);

    struct Functions;
    std::unique_ptr<Functions> gl_;
    unsigned texture_ = 0;
    unsigned program_ = 0;
    int textureWidth_;
    int textureHeight_;
    bool ready_ = false;
};
