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

namespace {

// Whether `layer` shows under `root`. The layer's own place is taken as it is drawn now
// (its animations applied, its opacity left out: a fade is drawn until it ends), its
// ancestors' places as they are set.
bool showsUnder(const CALayer& layer, const CALayer& root) {
    if (layer.isHidden()) {
        return false;
    }
    const auto presented = layer.presentationLayer();
    // The layer's area in its superlayer's space, then in each ancestor's in turn.
    CGRect area = CGRectApplyAffineTransform(presented->bounds(), presented->transformToSuperlayer());
    for (auto ancestor = layer.superlayer(); ancestor; ancestor = ancestor->superlayer()) {
        if (ancestor->isHidden() || ancestor->opacity() <= 0) {
            return false;
        }
        if (ancestor->masksToBounds() || ancestor.get() == &root) {
            area = area.intersection(ancestor->bounds());
            if (area.isEmpty()) {
                return false;
            }
        }
        if (ancestor.get() == &root) {
            return true;
        }
        area = CGRectApplyAffineTransform(area, ancestor->transformToSuperlayer());
    }
    return false;
}

} // namespace

bool hasRunningAnimations(const CALayer& root) {
    const double now = CACurrentMediaTime();
    for (const auto& layer : animatingLayers()) {
        if (layer->hasRunningAnimationsAt(now) && showsUnder(*layer, root)) {
            return true;
        }
    }
    return false;
}

} // namespace CAAnimationRegistry
