#include "platform/QuartzCore/CAExternalPicture.h"

#include "platform/QuartzCore/CALayer.h"

#include <algorithm>
#include <optional>

namespace CAExternalPictures {
namespace {

struct Registry {
    std::vector<std::weak_ptr<CALayer>> layers;
    std::uint64_t changes = 0;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

bool isShown(const CALayer& values) {
    return !values.isHidden() && values.opacity() > 0.001f;
}

// A picture's layer with its ancestors up to the root, nearest first, each with the values
// it shows now (its presentation while animations run), and where it stands among its
// siblings (for the painting order).
struct Chain {
    std::vector<std::shared_ptr<CALayer>> presented;
    std::vector<std::size_t> order; // sibling indices from the root down
};

std::optional<Chain> chainToRoot(const std::shared_ptr<CALayer>& layer, const CALayer& root) {
    Chain chain;
    std::shared_ptr<CALayer> current = layer;
    for (;;) {
        auto values = current->hasAnimations() ? current->presentationLayer() : current;
        if (!isShown(*values)) {
            return std::nullopt;
        }
        chain.presented.push_back(std::move(values));
        if (current.get() == &root) {
            break;
        }
        auto parent = current->superlayer();
        if (!parent) {
            return std::nullopt;
        }
        const auto& siblings = parent->sublayers();
        const auto found = std::find(siblings.begin(), siblings.end(), current);
        chain.order.push_back(static_cast<std::size_t>(found - siblings.begin()));
        current = std::move(parent);
    }
    std::reverse(chain.order.begin(), chain.order.end());
    return chain;
}

std::optional<CAExternalPicturePlacement> placement(const Chain& chain, const CAExternalPicture& picture,
                                                    const CGAffineTransform& toDevice) {
    const CGRect& rect = picture.rect;
    if (picture.texture == 0 || rect.isNull() || rect.isEmpty()) {
        return std::nullopt;
    }
    CGRect visible = rect.intersection(chain.presented.front()->bounds());
    // From the picture's layer to each ancestor in turn: every ancestor that masks cuts
    // the visible part (exactly while the turns between them are quarter turns).
    CGAffineTransform toAncestor = CGAffineTransformIdentity;
    for (std::size_t i = 0; i + 1 < chain.presented.size() && !visible.isNull(); ++i) {
        toAncestor = toAncestor.concatenating(chain.presented[i]->transformToSuperlayer());
        const CALayer& ancestor = *chain.presented[i + 1];
        if (ancestor.masksToBounds() && toAncestor.isInvertible()) {
            visible = visible.intersection(
                CGRectApplyAffineTransform(ancestor.bounds(), CGAffineTransformInvert(toAncestor)));
        }
    }
    if (visible.isNull() || visible.isEmpty()) {
        return std::nullopt;
    }
    const CGAffineTransform layerToDevice =
        toAncestor.concatenating(chain.presented.back()->transformToSuperlayer()).concatenating(toDevice);
    CAExternalPicturePlacement placed;
    placed.texture = picture.texture;
    placed.source = CGRect{
        {(visible.minX() - rect.minX()) / rect.width(), (visible.minY() - rect.minY()) / rect.height()},
        {visible.width() / rect.width(), visible.height() / rect.height()}};
    placed.corners = {CGPointApplyAffineTransform({visible.minX(), visible.minY()}, layerToDevice),
                      CGPointApplyAffineTransform({visible.maxX(), visible.minY()}, layerToDevice),
                      CGPointApplyAffineTransform({visible.minX(), visible.maxY()}, layerToDevice),
                      CGPointApplyAffineTransform({visible.maxX(), visible.maxY()}, layerToDevice)};
    return placed;
}

} // namespace

void add(const std::shared_ptr<CALayer>& layer) {
    auto& layers = registry().layers;
    std::erase_if(layers, [](const auto& known) { return known.expired(); });
    const bool known =
        std::any_of(layers.begin(), layers.end(), [&](const auto& other) { return other.lock() == layer; });
    if (!known) {
        layers.push_back(layer);
    }
}

std::uint64_t changeCount() {
    return registry().changes;
}

void noteChange() {
    ++registry().changes;
}

std::vector<CAExternalPicturePlacement> place(CALayer& root, const CGAffineTransform& toDevice) {
    std::vector<std::pair<std::vector<std::size_t>, CAExternalPicturePlacement>> found;
    for (const auto& weakLayer : registry().layers) {
        auto layer = weakLayer.lock();
        if (!layer) {
            continue;
        }
        auto chain = chainToRoot(layer, root);
        if (!chain) {
            continue;
        }
        const auto picture = chain->presented.front()->externalPicture();
        if (!picture) {
            continue;
        }
        if (auto placed = placement(*chain, *picture, toDevice)) {
            found.emplace_back(std::move(chain->order), *placed);
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<CAExternalPicturePlacement> placements;
    for (auto& [order, placed] : found) {
        placements.push_back(placed);
    }
    return placements;
}

} // namespace CAExternalPictures
