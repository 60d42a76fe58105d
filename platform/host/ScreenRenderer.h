#pragma once

#include "platform/QuartzCore/CAExternalPicture.h"
#include "platform/QuartzCore/LayerCompositor.h"

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

class CALayer;
class UIWindow;

// Draws the screen: lays out every window on the screen, stacks their layers by window
// level on one screen layer and brings a compositor image of it up to date. Both hosts
// draw through it, so a window shows the same pixels headless and on the desktop. When the
// screen turns or changes size, the next frame is drawn whole at the new size.
class ScreenRenderer {
  public:
    // An image of the main screen at the screen's scale.
    ScreenRenderer();
    ~ScreenRenderer();
    ScreenRenderer(const ScreenRenderer&) = delete;
    ScreenRenderer& operator=(const ScreenRenderer&) = delete;

    // Lays out and draws what changed; answers the repainted pixel rectangles.
    std::vector<cairo_rectangle_int_t> renderFrame();
    // The screen image (premultiplied ARGB32, transparent where no window draws and where
    // external pictures show), of the screen's size as of the last frame drawn.
    cairo_surface_t* surface() const { return compositor_->surface(); }
    // Where the external pictures of the visible windows go on the image (in its pixels),
    // bottom first, as of the last frame drawn.
    std::vector<CAExternalPicturePlacement> externalPictures();
    // The layer the visible windows are stacked on, as of the last frame drawn.
    CALayer& screenLayer() const { return *screen_; }
    int pixelWidth() const { return compositor_->pixelWidth(); }
    int pixelHeight() const { return compositor_->pixelHeight(); }
    double scale() const { return compositor_->scale(); }
    // Draws the current frame and writes it as a PNG; answers whether the file was written.
    bool writePNG(const std::string& path);

  private:
    // A fresh image when the screen's pixel size is not the image's.
    void followScreen();
    void stackWindows();
    void unstackWindows();

    std::shared_ptr<CALayer> screen_;
    std::vector<std::weak_ptr<UIWindow>> stacked_;
    std::unique_ptr<LayerCompositor> compositor_;
};
