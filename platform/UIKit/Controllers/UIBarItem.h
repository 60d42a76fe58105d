#pragma once

#include "platform/UIKit/Controllers/UIRuntimeAttributes.h"

#include <functional>
#include <memory>
#include <string>

class UIImage;

// What bars show for an entry: a title and an image. The bar that shows the item
// listens for changes and redraws.
class UIBarItem : public UINibLoadable {
  public:
    virtual ~UIBarItem();

    const std::string& title() const { return title_; }
    void setTitle(const std::string& title);
    const std::shared_ptr<UIImage>& image() const { return image_; }
    void setImage(std::shared_ptr<UIImage> image);
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // Keys: "title" (text), "image" (image), "tag" (number), "enabled" (switch).
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override;

    // For the bar showing the item: called after a visible property changed.
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }

  protected:
    void changed();

  private:
    std::string title_;
    std::shared_ptr<UIImage> image_;
    long tag_ = 0;
    bool enabled_ = true;
    std::function<void()> changeHandler_;
};
