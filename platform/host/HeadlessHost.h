#pragma once

#include "platform/host/ScreenRenderer.h"

#include <string>

// Runs the interface without a display: the run loop drives it, frames are drawn into an
// image on demand (for screenshots and tests), input comes from the caller.
class HeadlessHost {
  public:
    HeadlessHost() = default;

    // Runs the tasks that are due, then lays out and draws a frame.
    std::vector<cairo_rectangle_int_t> renderFrame();
    // Draws the current frame into a PNG file; answers whether it was written.
    bool writeScreenshot(const std::string& path);
    const ScreenRenderer& screen() const { return renderer_; }

  private:
    ScreenRenderer renderer_;
};
