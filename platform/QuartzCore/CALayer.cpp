#include "platform/QuartzCore/CALayer.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CAAnimationRegistry.h"
#include "platform/QuartzCore/LayerPainter.h"
#include "platform/QuartzCore/LayerRenderState.h"

#include <algorithm>

namespace CAActions {

namespace {
std::vector<CAActionRecorder*>& recorders() {
    static std::vector<CAActionRecorder*> stack;
    return stack;
}
} // namespace

void push(CAActionRecorder* recorder) {
    recorders().push_back(recorder);
}

void pop() {
    if (!recorders().empty()) {
        recorders().pop_back();
    }
}

CAActionRecorder* current() {
    return recorders().empty() ? nullptr : recorders().back();
}

} // namespace CAActions

namespace {

// Whether the delegate of an animation still on its layer has yet to hear that it stopped:
// one removed on completion leaves the layer before its delegate is told, and one that
// stays is told once it has ended.
bool stopUnreported(const CAAnimation& animation, double now) {
    return animation.delegate && (animation.removedOnCompletion || !animation.isFinishedAt(now));
}

} // namespace

CALayer::CALayer() = default;

CALayer::CALayer(const CALayer& other)
    : std::enable_shared_from_this<CALayer>(), bounds_(other.bounds_), position_(other.position_),
      anchorPoint_(other.anchorPoint_), transform_(other.transform_), opacity_(other.opacity_),
      hidden_(other.hidden_), backgroundColor_(other.backgroundColor_), cornerRadius_(other.cornerRadius_),
      maskedCorners_(other.maskedCorners_), borderWidth_(other.borderWidth_),
      borderColor_(other.borderColor_), masksToBounds_(other.masksToBounds_),
      shadowColor_(other.shadowColor_), shadowOffset_(other.shadowOffset_),
      shadowRadius_(other.shadowRadius_), shadowOpacity_(other.shadowOpacity_),
      shadowPath_(other.shadowPath_), contents_(other.contents_), contentsGravity_(other.contentsGravity_),
      contentsTintColor_(other.contentsTintColor_), name_(other.name_), delegate_(other.delegate_) {}

CALayer::~CALayer() {
    // The animations end with the layer. Their delegates (a view animation's completion,
    // which waits for all of its animations) hear it on the next turn of the main loop, not
    // in the middle of whatever let the layer go.
    const double now = CACurrentMediaTime();
    for (const auto& entry : animations_) {
        const auto& animation = entry.second;
        if (stopUnreported(*animation, now)) {
            RunLoop::main().post([animation, finished = animation->isFinishedAt(now)] {
                animation->delegate->animationDidStop(*animation, finished);
            });
        }
    }
}

std::shared_ptr<CALayer> CALayer::clone() const {
    return std::make_shared<CALayer>(*this);
}

LayerRenderState& CALayer::renderState() {
    if (!renderState_) {
        renderState_ = std::make_unique<LayerRenderState>();
    }
    return *renderState_;
}

void CALayer::markAncestorsDirty() {
    for (auto layer = superlayer_.lock(); layer && !layer->descendantDirty_;
         layer = layer->superlayer_.lock()) {
        layer->descendantDirty_ = true;
    }
}

void CALayer::invalidateContent() {
    contentDirty_ = true;
    markAncestorsDirty();
}

void CALayer::invalidateComposition() {
    compositionDirty_ = true;
    markAncestorsDirty();
}

void CALayer::willChange(const std::string& keyPath, const CAValue& to) {
    CAActionRecorder* recorder = CAActions::current();
    if (recorder == nullptr) {
        return;
    }
    if (auto from = presentationValueForKeyPath(keyPath)) {
        recorder->propertyChanged(*this, keyPath, *from, to);
    }
}

void CALayer::setBounds(const CGRect& bounds) {
    if (bounds_ == bounds && bounds_.origin == bounds.origin) {
        return;
    }
    willChange("bounds", bounds);
    const bool resized = bounds_.size != bounds.size;
    bounds_ = bounds;
    invalidateComposition();
    if (resized) {
        invalidateContent();
    }
}

void CALayer::setPosition(CGPoint position) {
    assign(position_, position, "position", false);
}
void CALayer::setAnchorPoint(CGPoint anchorPoint) {
    assign(anchorPoint_, anchorPoint, nullptr, false);
}
void CALayer::setTransform(const CGAffineTransform& transform) {
    assign(transform_, transform, "transform", false);
}

void CALayer::setOpacity(float opacity) {
    if (opacity_ == opacity) {
        return;
    }
    willChange("opacity", static_cast<double>(opacity));
    opacity_ = opacity;
    invalidateComposition();
}

void CALayer::setHidden(bool hidden) {
    assign(hidden_, hidden, nullptr, false);
}
void CALayer::setBackgroundColor(std::optional<UIColor> color) {
    assign(backgroundColor_, color, "backgroundColor", false);
}
void CALayer::setCornerRadius(CGFloat radius) {
    assign(cornerRadius_, radius, "cornerRadius", false);
}
void CALayer::setMaskedCorners(CACornerMask corners) {
    assign(maskedCorners_, corners, nullptr, false);
}
void CALayer::setBorderWidth(CGFloat width) {
    assign(borderWidth_, width, "borderWidth", false);
}
void CALayer::setBorderColor(std::optional<UIColor> color) {
    assign(borderColor_, color, "borderColor", false);
}
void CALayer::setMasksToBounds(bool masks) {
    assign(masksToBounds_, masks, nullptr, false);
}
void CALayer::setShadowColor(std::optional<UIColor> color) {
    assign(shadowColor_, color, "shadowColor", false);
}
void CALayer::setShadowOffset(CGSize offset) {
    assign(shadowOffset_, offset, "shadowOffset", false);
}
void CALayer::setShadowRadius(CGFloat radius) {
    assign(shadowRadius_, radius, "shadowRadius", false);
}
void CALayer::setShadowPath(std::optional<CGPath> path) {
    assign(shadowPath_, path, nullptr, false);
}
void CALayer::setContents(std::shared_ptr<UIImage> image) {
    assign(contents_, image, nullptr, true);
}
void CALayer::setContentsGravity(CALayerContentsGravity gravity) {
    assign(contentsGravity_, gravity, nullptr, true);
}
void CALayer::setContentsTintColor(std::optional<UIColor> color) {
    assign(contentsTintColor_, color, nullptr, true);
}

void CALayer::setShadowOpacity(float opacity) {
    if (shadowOpacity_ == opacity) {
        return;
    }
    willChange("shadowOpacity", static_cast<double>(opacity));
    shadowOpacity_ = opacity;
    invalidateComposition();
}

CGRect CALayer::frame() const {
    return CGRectApplyAffineTransform(bounds_, transformToSuperlayer());
}

void CALayer::setFrame(const CGRect& frame) {
    const CGRect rect = frame.standardized();
    setBounds(CGRect{bounds_.origin, rect.size});
    setPosition(CGPoint{rect.origin.x + anchorPoint_.x * rect.size.width,
                        rect.origin.y + anchorPoint_.y * rect.size.height});
}

// ---- Tree --------------------------------------------------------------------------

void CALayer::attach(const std::shared_ptr<CALayer>& layer, size_t index) {
    if (!layer || layer.get() == this) {
        return;
    }
    layer->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), layer);
    layer->superlayer_ = weak_from_this();
    // The new sublayer's own area is repainted; the rest of this layer is untouched.
    layer->invalidateComposition();
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer) {
    attach(layer, sublayers_.size());
}

void CALayer::insertSublayer(const std::shared_ptr<CALayer>& layer, size_t index) {
    attach(layer, index);
}

void CALayer::insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const CALayer* sibling) {
    if (layer && layer.get() != sibling) {
        layer->removeFromSuperlayer();
    }
    auto found = std::find_if(sublayers_.begin(), sublayers_.end(),
                              [&](const auto& candidate) { return candidate.get() == sibling; });
    attach(layer, static_cast<size_t>(found - sublayers_.begin()));
}

void CALayer::insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const CALayer* sibling) {
    if (layer && layer.get() != sibling) {
        layer->removeFromSuperlayer();
    }
    auto found = std::find_if(sublayers_.begin(), sublayers_.end(),
                              [&](const auto& candidate) { return candidate.get() == sibling; });
    attach(layer, found == sublayers_.end() ? sublayers_.size()
                                            : static_cast<size_t>(found - sublayers_.begin()) + 1);
}

void CALayer::removeFromSuperlayer() {
    auto parent = superlayer_.lock();
    if (!parent) {
        return;
    }
    // The compositor no longer visits this subtree, so the tree's root keeps the area
    // it occupied on screen for the next frame to repaint.
    if (renderState_ && !renderState_->subtreeBox.isNull()) {
        CALayer* root = parent.get();
        for (auto up = root->superlayer(); up; up = up->superlayer()) {
            root = up.get();
        }
        root->removedAreas_.push_back(renderState_->subtreeBox);
        renderState_->subtreeBox = CGRectNull;
        renderState_->ownBox = CGRectNull;
    }
    auto& siblings = parent->sublayers_;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [&](const auto& candidate) { return candidate.get() == this; }),
                   siblings.end());
    superlayer_.reset();
    parent->descendantDirty_ = true;
    parent->markAncestorsDirty();
}

bool CALayer::isDescendantOf(const CALayer* ancestor) const {
    for (const CALayer* layer = this; layer != nullptr;) {
        if (layer == ancestor) {
            return true;
        }
        auto parent = layer->superlayer_.lock();
        layer = parent.get();
    }
    return false;
}

// ---- Coordinates -------------------------------------------------------------------

CGAffineTransform CALayer::transformToSuperlayer() const {
    const CGFloat anchorX = bounds_.origin.x + anchorPoint_.x * bounds_.size.width;
    const CGFloat anchorY = bounds_.origin.y + anchorPoint_.y * bounds_.size.height;
    return CGAffineTransformMakeTranslation(-anchorX, -anchorY)
        .concatenating(transform_)
        .concatenating(CGAffineTransformMakeTranslation(position_.x, position_.y));
}

namespace {

// From `layer`'s bounds space to the space of the root of its tree.
CGAffineTransform transformToRoot(const CALayer* layer) {
    CGAffineTransform result = CGAffineTransformIdentity;
    std::shared_ptr<CALayer> holder;
    while (layer != nullptr) {
        holder = layer->superlayer();
        if (!holder) {
            break;
        }
        result = result.concatenating(layer->transformToSuperlayer());
        layer = holder.get();
    }
    return result;
}

} // namespace

CGPoint CALayer::convertPointToLayer(CGPoint point, const CALayer* layer) const {
    const CGPoint inRoot = CGPointApplyAffineTransform(point, transformToRoot(this));
    return layer != nullptr ? CGPointApplyAffineTransform(inRoot, transformToRoot(layer).inverted()) : inRoot;
}

CGPoint CALayer::convertPointFromLayer(CGPoint point, const CALayer* layer) const {
    const CGPoint inRoot =
        layer != nullptr ? CGPointApplyAffineTransform(point, transformToRoot(layer)) : point;
    return CGPointApplyAffineTransform(inRoot, transformToRoot(this).inverted());
}

CGRect CALayer::convertRectToLayer(const CGRect& rect, const CALayer* layer) const {
    CGAffineTransform transform = transformToRoot(this);
    if (layer != nullptr) {
        transform = transform.concatenating(transformToRoot(layer).inverted());
    }
    return CGRectApplyAffineTransform(rect, transform);
}

// ---- Drawing -------------------------------------------------------------------------

void CALayer::setNeedsDisplay() {
    invalidateContent();
}

bool CALayer::drawsContent() const {
    return delegate_ != nullptr || contents_ != nullptr;
}

CGRect CALayerDelegate::contentRectForLayer(const CALayer& layer) const {
    return layer.bounds();
}

CGRect CALayer::contentRect() const {
    return delegate_ != nullptr && !contents_ ? delegate_->contentRectForLayer(*this) : bounds_;
}

void CALayer::drawInContext(cairo_t* context) {
    if (delegate_ != nullptr) {
        delegate_->drawLayer(*this, context);
    }
}

void CALayer::renderInContext(cairo_t* context) {
    LayerPainter::paintTree(*this, context);
}

// ---- Animations ----------------------------------------------------------------------

void CALayer::addAnimation(std::shared_ptr<CAAnimation> animation, const std::string& key) {
    if (!animation) {
        return;
    }
    auto added = animation->copy();
    if (added->beginTime == 0) {
        added->beginTime = CACurrentMediaTime();
    }
    if (!key.empty()) {
        removeAnimationForKey(key);
    }
    animations_.emplace_back(key, added);
    CAAnimationRegistry::layerStartedAnimating(weak_from_this());
    invalidateContent();
    if (added->delegate) {
        added->delegate->animationDidStart(*added);
    }
    scheduleCompletion(added, key);
}

void CALayer::scheduleCompletion(const std::shared_ptr<CAAnimation>& animation, const std::string& key) {
    const double end = animation->beginTime + animation->activeDuration();
    if (!std::isfinite(end)) {
        return;
    }
    std::weak_ptr<CALayer> weakLayer = weak_from_this();
    std::weak_ptr<CAAnimation> weakAnimation = animation;
    RunLoop::main().post(
        [weakLayer, weakAnimation, key] {
            auto layer = weakLayer.lock();
            auto finished = weakAnimation.lock();
            if (layer && finished) {
                layer->finishAnimation(finished, key);
            }
        },
        // A hair early, so that a clock advanced by parts that sum to the end (with
        // rounding) still sees the animation finish; isFinishedAt tolerates the hair.
        std::max(0.0, end - CACurrentMediaTime() - 5e-10));
}

void CALayer::finishAnimation(const std::shared_ptr<CAAnimation>& animation, const std::string& key) {
    auto found = std::find_if(animations_.begin(), animations_.end(),
                              [&](const auto& entry) { return entry.second == animation; });
    if (found == animations_.end()) {
        return;
    }
    if (!animation->isFinishedAt(CACurrentMediaTime())) {
        scheduleCompletion(animation, key);
        return;
    }
    if (animation->removedOnCompletion) {
        animations_.erase(found);
    }
    invalidateContent();
    if (animation->delegate) {
        animation->delegate->animationDidStop(*animation, true);
    }
}

void CALayer::removeAnimationForKey(const std::string& key) {
    auto found = std::find_if(animations_.begin(), animations_.end(),
                              [&](const auto& entry) { return entry.first == key; });
    if (found == animations_.end()) {
        return;
    }
    auto removed = found->second;
    animations_.erase(found);
    invalidateContent();
    const double now = CACurrentMediaTime();
    if (stopUnreported(*removed, now)) {
        removed->delegate->animationDidStop(*removed, removed->isFinishedAt(now));
    }
}

void CALayer::removeAllAnimations() {
    auto removed = std::exchange(animations_, {});
    if (removed.empty()) {
        return;
    }
    invalidateContent();
    const double now = CACurrentMediaTime();
    for (auto& [key, animation] : removed) {
        if (stopUnreported(*animation, now)) {
            animation->delegate->animationDidStop(*animation, animation->isFinishedAt(now));
        }
    }
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const std::string& key) const {
    for (const auto& [name, animation] : animations_) {
        if (name == key) {
            return animation;
        }
    }
    return nullptr;
}

std::vector<std::string> CALayer::animationKeys() const {
    std::vector<std::string> keys;
    for (const auto& entry : animations_) {
        keys.push_back(entry.first);
    }
    return keys;
}

void CALayer::invalidateForAnimationFrame(double time) {
    if (hasRunningAnimationsAt(time)) {
        invalidateComposition();
    }
    if (animatesContentAt(time)) {
        invalidateContent();
    }
}

bool CALayer::hasRunningAnimationsAt(double time) const {
    return std::any_of(animations_.begin(), animations_.end(),
                       [&](const auto& entry) { return !entry.second->isFinishedAt(time); });
}

bool CALayer::animatesContentAt(double time) const {
    return std::any_of(animations_.begin(), animations_.end(), [&](const auto& entry) {
        return !entry.second->isFinishedAt(time) && isContentKeyPath(entry.second->keyPath());
    });
}

std::shared_ptr<CALayer> CALayer::presentationLayer() const {
    auto presented = clone();
    const double now = CACurrentMediaTime();
    for (const auto& [key, animation] : animations_) {
        const std::string& keyPath = animation->keyPath();
        auto model = presented->valueForKeyPath(keyPath);
        if (!model) {
            continue;
        }
        if (auto value = animation->valueAt(now, *model)) {
            presented->setValueForKeyPath(keyPath, *value);
        }
    }
    return presented;
}

std::optional<CAValue> CALayer::presentationValueForKeyPath(const std::string& keyPath) const {
    if (animations_.empty()) {
        return valueForKeyPath(keyPath);
    }
    return presentationLayer()->valueForKeyPath(keyPath);
}

// ---- Key paths -------------------------------------------------------------------------

std::optional<CAValue> CALayer::valueForKeyPath(const std::string& keyPath) const {
    if (keyPath == "opacity")
        return static_cast<double>(opacity_);
    if (keyPath == "position")
        return position_;
    if (keyPath == "position.x")
        return position_.x;
    if (keyPath == "position.y")
        return position_.y;
    if (keyPath == "bounds")
        return bounds_;
    if (keyPath == "bounds.size")
        return bounds_.size;
    if (keyPath == "transform")
        return transform_;
    if (keyPath == "backgroundColor")
        return backgroundColor_;
    if (keyPath == "cornerRadius")
        return cornerRadius_;
    if (keyPath == "borderWidth")
        return borderWidth_;
    if (keyPath == "borderColor")
        return borderColor_;
    if (keyPath == "shadowOpacity")
        return static_cast<double>(shadowOpacity_);
    if (keyPath == "shadowRadius")
        return shadowRadius_;
    if (keyPath == "shadowOffset")
        return shadowOffset_;
    if (keyPath == "shadowColor")
        return shadowColor_;
    return std::nullopt;
}

bool CALayer::setValueForKeyPath(const std::string& keyPath, const CAValue& value) {
    auto store = [&](auto& field) { return CAValues::store(value, field); };
    bool stored = false;
    if (keyPath == "opacity")
        stored = store(opacity_);
    else if (keyPath == "position")
        stored = store(position_);
    else if (keyPath == "position.x")
        stored = store(position_.x);
    else if (keyPath == "position.y")
        stored = store(position_.y);
    else if (keyPath == "bounds")
        stored = store(bounds_);
    else if (keyPath == "bounds.size")
        stored = store(bounds_.size);
    else if (keyPath == "transform")
        stored = store(transform_);
    else if (keyPath == "backgroundColor")
        stored = store(backgroundColor_);
    else if (keyPath == "cornerRadius")
        stored = store(cornerRadius_);
    else if (keyPath == "borderWidth")
        stored = store(borderWidth_);
    else if (keyPath == "borderColor")
        stored = store(borderColor_);
    else if (keyPath == "shadowOpacity")
        stored = store(shadowOpacity_);
    else if (keyPath == "shadowRadius")
        stored = store(shadowRadius_);
    else if (keyPath == "shadowOffset")
        stored = store(shadowOffset_);
    else if (keyPath == "shadowColor")
        stored = store(shadowColor_);
    if (stored) {
        invalidateContent();
    }
    return stored;
}
