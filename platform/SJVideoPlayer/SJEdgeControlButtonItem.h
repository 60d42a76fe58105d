#pragma once

#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SJEdgeControlButtonItemAdapter;

using SJEdgeControlButtonItemTag = long;

// Space before and after an item along its bar.
struct SJEdgeInsets {
    CGFloat front = 0;
    CGFloat rear = 0;
    friend bool operator==(const SJEdgeInsets&, const SJEdgeInsets&) = default;
};
inline SJEdgeInsets SJEdgeInsetsMake(CGFloat front, CGFloat rear) {
    return {front, rear};
}

// One item of a control bar, found by its tag: a view of the caller's own, or an image or
// a title that the bar shows as a button. Changes show at once in the bar holding the item.
class SJEdgeControlButtonItem : public std::enable_shared_from_this<SJEdgeControlButtonItem> {
  public:
    using Action = std::function<void(SJEdgeControlButtonItem& item)>;

    static std::shared_ptr<SJEdgeControlButtonItem> initWithCustomView(std::shared_ptr<UIView> customView,
                                                                       SJEdgeControlButtonItemTag tag);
    static std::shared_ptr<SJEdgeControlButtonItem> initWithImage(std::shared_ptr<UIImage> image,
                                                                  SJEdgeControlButtonItemTag tag);
    static std::shared_ptr<SJEdgeControlButtonItem> initWithTitle(std::optional<NSAttributedString> title,
                                                                  SJEdgeControlButtonItemTag tag);
    // An item that only takes its place (with `size`) until something is given to it.
    static std::shared_ptr<SJEdgeControlButtonItem> initWithTag(SJEdgeControlButtonItemTag tag);

    SJEdgeControlButtonItemTag tag() const { return tag_; }

    const std::shared_ptr<UIView>& customView() const { return customView_; }
    void setCustomView(std::shared_ptr<UIView> view);
    const std::shared_ptr<UIImage>& image() const { return image_; }
    void setImage(std::shared_ptr<UIImage> image);
    const std::optional<NSAttributedString>& title() const { return title_; }
    void setTitle(std::optional<NSAttributedString> title);

    // Hidden by its owner.
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    // Hidden by the control layer for its state (the owner's hidden stays as set).
    bool innerHidden() const { return innerHidden_; }
    void setInnerHidden(bool hidden);
    bool isVisible() const { return !hidden_ && !innerHidden_; }
    // Takes the room the other items leave (shared with other filling items).
    bool fill() const { return fill_; }
    void setFill(bool fill);
    SJEdgeInsets insets() const { return insets_; }
    void setInsets(SJEdgeInsets insets);
    CGFloat alpha() const { return alpha_; }
    void setAlpha(CGFloat alpha);
    // The item's length along its bar (0: an image item is square, a title fits its text).
    CGFloat size() const { return size_; }
    void setSize(CGFloat size);

    // What a tap on an image or title item does.
    void addAction(Action action);
    // A method of `target`, which is held weakly: nothing happens once it is gone.
    template <class Target>
    void addAction(std::weak_ptr<Target> target, void (Target::*method)(SJEdgeControlButtonItem&)) {
        addAction([target, method](SJEdgeControlButtonItem& item) {
            if (auto owner = target.lock()) {
                ((*owner).*method)(item);
            }
        });
    }
    void removeAllActions() { actions_.clear(); }
    void performActions();

  private:
    friend class SJEdgeControlButtonItemAdapter;
    explicit SJEdgeControlButtonItem(SJEdgeControlButtonItemTag tag) : tag_(tag) {}
    void changed();

    SJEdgeControlButtonItemTag tag_;
    std::shared_ptr<UIView> customView_;
    std::shared_ptr<UIImage> image_;
    std::optional<NSAttributedString> title_;
    bool hidden_ = false;
    bool innerHidden_ = false;
    bool fill_ = false;
    SJEdgeInsets insets_;
    CGFloat alpha_ = 1;
    CGFloat size_ = 0;
    std::vector<Action> actions_;
    std::weak_ptr<SJEdgeControlButtonItemAdapter> adapter_;
};
