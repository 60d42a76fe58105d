#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/CoreGraphics/CGPath.h"
#include "platform/QuartzCore/CAAnimation.h"
#include "platform/QuartzCore/CAExternalPicture.h"
#include "platform/QuartzCore/CAValue.h"
#include "platform/UIKit/UIColor.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

typedef struct _cairo cairo_t;
class CALayer;
class UIImage;
struct LayerRenderState;

// Which corners a corner radius rounds.
using CACornerMask = unsigned;
inline constexpr CACornerMask kCALayerMinXMinYCorner = 1;
inline constexpr CACornerMask kCALayerMaxXMinYCorner = 2;
inline constexpr CACornerMask kCALayerMinXMaxYCorner = 4;
inline constexpr CACornerMask kCALayerMaxXMaxYCorner = 8;
inline constexpr CACornerMask kCALayerAllCorners = 15;

// How contents are fitted into the layer's bounds.
enum class CALayerContentsGravity {
    resize,
    resizeAspect,
    resizeAspectFill,
    center,
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight
};

// Who draws a layer's own content (views draw their layers).
class CALayerDelegate {
  public:
    virtual ~CALayerDelegate() = default;
    // Draws into `context`, whose coordinates are the layer's bounds in points.
    virtual void drawLayer(CALayer& layer, cairo_t* context) = 0;
    // The part of the bounds the drawing covers (drawing outside it is cut), so that only
    // that part is kept as a raster.
    virtual CGRect contentRectForLayer(const CALayer& layer) const;
};

// Receives property changes while a view animation block is open, so that they become
// animations instead of jumps. Installed by the view layer; see CAActions.
class CAActionRecorder {
  public:
    virtual ~CAActionRecorder() = default;
    virtual void propertyChanged(CALayer& layer, const std::string& keyPath, const CAValue& from,
                                 const CAValue& to) = 0;
};

namespace CAActions {
void push(CAActionRecorder* recorder);
void pop();
CAActionRecorder* current();
} // namespace CAActions

// A node of the layer tree: geometry, appearance, sublayers and the animations that drive
// its presentation. Model values change at once; `presentationLayer()` shows what the
// animations make of them at the current time of the animation clock.
class CALayer : public std::enable_shared_from_this<CALayer> {
  public:
    CALayer();
    CALayer(const CALayer& other); // copies values, not sublayers, animations or caches
    CALayer& operator=(const CALayer&) = delete;
    virtual ~CALayer();

    static std::shared_ptr<CALayer> layer() { return std::make_shared<CALayer>(); }

    // Geometry. The frame is derived from bounds, position, anchor point and transform.
    CGRect bounds() const { return bounds_; }
    void setBounds(const CGRect& bounds);
    CGPoint position() const { return position_; }
    void setPosition(CGPoint position);
    CGPoint anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(CGPoint anchorPoint);
    CGAffineTransform transform() const { return transform_; }
    void setTransform(const CGAffineTransform& transform);
    CGAffineTransform affineTransform() const { return transform_; }
    void setAffineTransform(const CGAffineTransform& transform) { setTransform(transform); }
    CGRect frame() const;
    // Sets bounds size and position as if the transform were the identity.
    void setFrame(const CGRect& frame);

    // Appearance.
    float opacity() const { return opacity_; }
    void setOpacity(float opacity);
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    const std::optional<UIColor>& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<UIColor> color);
    CGFloat cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(CGFloat radius);
    CACornerMask maskedCorners() const { return maskedCorners_; }
    void setMaskedCorners(CACornerMask corners);
    CGFloat borderWidth() const { return borderWidth_; }
    void setBorderWidth(CGFloat width);
    const std::optional<UIColor>& borderColor() const { return borderColor_; }
    void setBorderColor(std::optional<UIColor> color);
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks);
    const std::optional<UIColor>& shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<UIColor> color);
    CGSize shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(CGSize offset);
    CGFloat shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(CGFloat radius);
    float shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(float opacity);
    const std::optional<CGPath>& shadowPath() const { return shadowPath_; }
    void setShadowPath(std::optional<CGPath> path);
    const std::shared_ptr<UIImage>& contents() const { return contents_; }
    void setContents(std::shared_ptr<UIImage> image);
    CALayerContentsGravity contentsGravity() const { return contentsGravity_; }
    void setContentsGravity(CALayerContentsGravity gravity);
    // Draws `contents` as a template: its alpha filled with this colour.
    const std::optional<UIColor>& contentsTintColor() const { return contentsTintColor_; }
    void setContentsTintColor(std::optional<UIColor> color);
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // The layer tree.
    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
    std::shared_ptr<CALayer> superlayer() const { return superlayer_.lock(); }
    void addSublayer(const std::shared_ptr<CALayer>& layer);
    void insertSublayer(const std::shared_ptr<CALayer>& layer, size_t index);
    void insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const CALayer* sibling);
    void insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const CALayer* sibling);
    void removeFromSuperlayer();
    bool isDescendantOf(const CALayer* ancestor) const;

    // Coordinates: the transform from this layer's bounds space to its superlayer's.
    CGAffineTransform transformToSuperlayer() const;
    CGPoint convertPointToLayer(CGPoint point, const CALayer* layer) const;
    CGPoint convertPointFromLayer(CGPoint point, const CALayer* layer) const;
    CGRect convertRectToLayer(const CGRect& rect, const CALayer* layer) const;

    // Own content drawing: a delegate (a view) or a subclass draws into a cached raster
    // that is redrawn only after setNeedsDisplay or a change of size.
    void setDelegate(CALayerDelegate* delegate) { delegate_ = delegate; }
    CALayerDelegate* delegate() const { return delegate_; }
    void setNeedsDisplay();
    virtual void drawInContext(cairo_t* context);
    // Whether the layer has own content beyond background and border: a delegate that
    // draws, contents, or a subclass's drawing.
    virtual bool drawsContent() const;
    // The area (layer coordinates) the own content covers; the bounds unless a subclass
    // draws beyond them.
    virtual CGRect contentRect() const;
    // A picture the host draws beneath the interface in the layer's place (see
    // CAExternalPicture); the layer paints that area transparent. None by default.
    virtual std::optional<CAExternalPicture> externalPicture() const { return std::nullopt; }
    // Whether animating `keyPath` changes the own content (so it must be redrawn each
    // frame) rather than only how the content is composed.
    virtual bool isContentKeyPath(const std::string& keyPath) const { return false; }
    // Paints this layer and its sublayers, as they are presented now, into `context`
    // (whose coordinates are this layer's bounds).
    void renderInContext(cairo_t* context);

    // Animations.
    void addAnimation(std::shared_ptr<CAAnimation> animation, const std::string& key);
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();
    std::shared_ptr<CAAnimation> animationForKey(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    bool hasAnimations() const { return !animations_.empty(); }
    // Whether an animation is still in its active time at `time`.
    bool hasRunningAnimationsAt(double time) const;
    // Whether a running animation changes the own content at `time`.
    bool animatesContentAt(double time) const;
    // Marks what the running animations change at `time` for the next frame.
    void invalidateForAnimationFrame(double time);
    // A copy of this layer with the values its animations give at the current time.
    std::shared_ptr<CALayer> presentationLayer() const;
    // The value of an animatable property as presented now.
    std::optional<CAValue> presentationValueForKeyPath(const std::string& keyPath) const;

    // Key-value access to animatable properties by key path ("opacity", "position",
    // "bounds", "bounds.size", "position.x", "position.y", "transform", "backgroundColor",
    // "cornerRadius", "borderWidth", "borderColor", "shadowOpacity", "shadowRadius",
    // "shadowOffset", "shadowColor", plus those of subclasses). Unknown paths: nothing.
    virtual std::optional<CAValue> valueForKeyPath(const std::string& keyPath) const;
    virtual bool setValueForKeyPath(const std::string& keyPath, const CAValue& value);

    // Compositing bookkeeping, read and cleared by the compositor.
    bool needsContentRedraw() const { return contentDirty_; }
    bool needsComposition() const { return compositionDirty_; }
    bool hasDirtyDescendant() const { return descendantDirty_; }
    void clearRenderFlags() { contentDirty_ = compositionDirty_ = descendantDirty_ = false; }
    LayerRenderState& renderState();
    // Screen areas that subtrees removed from this tree occupied when last drawn.
    std::vector<CGRect> takeRemovedAreas() { return std::exchange(removedAreas_, {}); }

  protected:
    virtual std::shared_ptr<CALayer> clone() const;
    // Marks the own raster stale (content changed) or the composition stale.
    void invalidateContent();
    void invalidateComposition();
    // Records an animation for `keyPath` when a view animation block is open; call
    // before storing the new value.
    void willChange(const std::string& keyPath, const CAValue& to);

    template <class T> bool assign(T& field, const T& value, const char* keyPath, bool contentChange) {
        if (field == value) {
            return false;
        }
        if constexpr (std::is_constructible_v<CAValue, T>) {
            if (keyPath != nullptr) {
                willChange(keyPath, CAValue(value));
            }
        }
        field = value;
        contentChange ? invalidateContent() : invalidateComposition();
        return true;
    }

  private:
    void markAncestorsDirty();
    void attach(const std::shared_ptr<CALayer>& layer, size_t index);
    void scheduleCompletion(const std::shared_ptr<CAAnimation>& animation, const std::string& key);
    void finishAnimation(const std::shared_ptr<CAAnimation>& animation, const std::string& key);

    CGRect bounds_;
    CGPoint position_;
    CGPoint anchorPoint_{0.5, 0.5};
    CGAffineTransform transform_;
    float opacity_ = 1;
    bool hidden_ = false;
    std::optional<UIColor> backgroundColor_;
    CGFloat cornerRadius_ = 0;
    CACornerMask maskedCorners_ = kCALayerAllCorners;
    CGFloat borderWidth_ = 0;
    std::optional<UIColor> borderColor_ = UIColor::blackColor();
    bool masksToBounds_ = false;
    std::optional<UIColor> shadowColor_ = UIColor::blackColor();
    CGSize shadowOffset_{0, -3};
    CGFloat shadowRadius_ = 3;
    float shadowOpacity_ = 0;
    std::optional<CGPath> shadowPath_;
    std::shared_ptr<UIImage> contents_;
    CALayerContentsGravity contentsGravity_ = CALayerContentsGravity::resize;
    std::optional<UIColor> contentsTintColor_;
    std::string name_;

    std::vector<std::shared_ptr<CALayer>> sublayers_;
    std::weak_ptr<CALayer> superlayer_;
    CALayerDelegate* delegate_ = nullptr;

    std::vector<std::pair<std::string, std::shared_ptr<CAAnimation>>> animations_;

    bool contentDirty_ = true;
    bool compositionDirty_ = true;
    bool descendantDirty_ = false;
    std::vector<CGRect> removedAreas_;
    std::unique_ptr<LayerRenderState> renderState_;
};
