#pragma once

// Device pixels per point of the screen the application draws on (2 by default). The
// window host sets it at start-up; vector images are rendered at this scale.
namespace render {
double displayScale();
void setDisplayScale(double scale);
} // namespace render
