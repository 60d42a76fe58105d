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

ScreenRenderer::ScreenRenderer() : screen_(CALayer::layer()) {
    followScreen();
}

void ScreenRenderer::followScreen() {
    const UIScreen& screen = UIScreen::mainScreen();
    const CGRect bounds = screen.bounds();
    const int width = pixels(bounds.width(), screen.scale());
    const int height = pixels(bounds.height(), screen.scale());
    if (compositor_ && compositor_->pixelWidth() == width && compositor_->pixelHeight() == height &&
        compositor_->scale() == screen.scale()) {
        return;
    }
    compositor_ = std::make_unique<LayerCompositor>(width, height, screen.scale());
    screen_->setFrame(bounds);
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
    auto windows = UIWindow::windows();
    // A window laid out for another orientation than the screen's is not on it.
    std::erase_if(windows, [](const auto& window) { return !window->isOnScreen(); });
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
    followScreen();
    stackWindows();
    return compositor_->render(*screen_);
}

std::vector<CAExternalPicturePlacement> ScreenRenderer::externalPictures() {
    return CAExternalPictures::place(*screen_, CGAffineTransformMakeScale(scale(), scale()));
}

bool ScreenRenderer::writePNG(const std::string& path) {
    renderFrame();
    return cairo_surface_write_to_png(surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}
