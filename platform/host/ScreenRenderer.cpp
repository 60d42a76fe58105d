#include "platform/host/ScreenRenderer.h"

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

#include <cmath>

namespace {

int pixels(CGFloat points, double scale) {
    return static_cast<int>(std::lround(points * scale));
}

} // namespace

ScreenRenderer::ScreenRenderer()
    : screen_(CALayer::layer()),
      compositor_(pixels(UIScreen::mainScreen().bounds().size.width, UIScreen::mainScreen().scale()),
                  pixels(UIScreen::mainScreen().bounds().size.height, UIScreen::mainScreen().scale()),
                  UIScreen::mainScreen().scale()) {
    screen_->setFrame(UIScreen::mainScreen().bounds());
}

ScreenRenderer::~ScreenRenderer() {
    unstackWindows();
}

void ScreenRenderer::unstackWindows() {
    // Layers of windows that are gone are still on the screen layer: they all come off.
    const auto layers = screen_->sublayers();
    for (const auto& layer : layers) {
        layer->removeFromSuperlayer();
    }
    stacked_.clear();
}

void ScreenRenderer::stackWindows() {
    const auto windows = UIWindow::windows();
    // Another renderer (a screenshot taken meanwhile) may have taken the layers over.
    bool same = windows.size() == stacked_.size();
    for (size_t i = 0; same && i < windows.size(); ++i) {
        same = stacked_[i].lock() == windows[i] && windows[i]->layer()->superlayer() == screen_;
    }
    if (same) {
        return;
    }
    unstackWindows();
    for (const auto& window : windows) {
        screen_->addSublayer(window->layer());
        stacked_.push_back(window);
    }
}

std::vector<cairo_rectangle_int_t> ScreenRenderer::renderFrame() {
    for (const auto& window : UIWindow::windows()) {
        window->layoutIfNeeded();
    }
    stackWindows();
    return compositor_.render(*screen_);
}

std::vector<CAExternalPicturePlacement> ScreenRenderer::externalPictures() {
    return CAExternalPictures::place(*screen_, CGAffineTransformMakeScale(scale(), scale()));
}

bool ScreenRenderer::writePNG(const std::string& path) {
    renderFrame();
    return cairo_surface_write_to_png(surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}
