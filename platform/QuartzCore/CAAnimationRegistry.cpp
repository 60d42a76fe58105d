#include "platform/QuartzCore/CAAnimationRegistry.h"

#include "platform/QuartzCore/CALayer.h"

#include <algorithm>

namespace CAAnimationRegistry {

namespace {
std::vector<std::weak_ptr<CALayer>>& registered() {
    static std::vector<std::weak_ptr<CALayer>> layers;
    return layers;
}
} // namespace

void layerStartedAnimating(std::weak_ptr<CALayer> layer) {
    auto& layers = registered();
    auto locked = layer.lock();
    const bool known = std::any_of(layers.begin(), layers.end(), [&](const std::weak_ptr<CALayer>& entry) {
        return entry.lock() == locked;
    });
    if (!known) {
        layers.push_back(std::move(layer));
    }
}

std::vector<std::shared_ptr<CALayer>> animatingLayers() {
    auto& layers = registered();
    std::vector<std::shared_ptr<CALayer>> live;
    std::vector<std::weak_ptr<CALayer>> kept;
    for (const auto& entry : layers) {
        if (auto layer = entry.lock(); layer && layer->hasAnimations()) {
            live.push_back(layer);
            kept.push_back(entry);
        }
    }
    layers = std::move(kept);
    return live;
}

bool hasRunningAnimations() {
    const double now = CACurrentMediaTime();
    for (const auto& layer : animatingLayers()) {
        if (layer->hasRunningAnimationsAt(now)) {
            return true;
        }
    }
    return false;
}

} // namespace CAAnimationRegistry
