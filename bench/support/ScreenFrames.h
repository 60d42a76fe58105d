#pragma once

class LayerCompositor;
class UIWindow;

// The screen the frame benchmarks draw: 390 x 844 points at scale 2, composed by one
// compositor for the whole program, as the application's window host does.
namespace benchframes {

constexpr double kScale = 2;
constexpr int kWidth = 390;
constexpr int kHeight = 844;

LayerCompositor& compositor();

// A frame after a change: the window laid out, the changed layers drawn and the screen
// composed from the kept rasters of the others.
void compose(UIWindow& window);
// A frame that composes the whole screen again.
void composeAll(UIWindow& window);

} // namespace benchframes
