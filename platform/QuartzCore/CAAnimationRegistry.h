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
// Whether any animation is still in its active time now.
bool hasRunningAnimations();

} // namespace CAAnimationRegistry
