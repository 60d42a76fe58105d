#pragma once

#include <memory>
#include <vector>

class CALayer;

// The layers that carry animations, so that the compositor can redraw them each frame
// and hosts know when to keep frames coming.
namespace CAAnimationRegistry {

void layerStartedAnimating(std::weak_ptr<CALayer> layer);
// Live layers that still carry animations (finished ones held by their fill mode
// included); layers that are gone or have none left are forgotten.
std::vector<std::shared_ptr<CALayer>> animatingLayers();
// Whether an animation is in its active time now on a layer that shows under `root`: one
// in root's tree, neither it nor an ancestor hidden, no ancestor fully transparent, and
// (as it is drawn now) not clipped away by an ancestor or the root. Animations of layers
// that nobody sees (a spinner of a page off screen, a view not in a window) need no frames.
bool hasRunningAnimations(const CALayer& root);

} // namespace CAAnimationRegistry
