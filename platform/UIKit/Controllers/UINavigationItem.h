#pragma once

#include <functional>
#include <memory>
#include <string>

class UIBarButtonItem;

// What a navigation bar shows while a controller is on top: its title and the buttons at
// either side. The bar showing the item listens for changes and redraws.
class UINavigationItem {
  public:
    const std::string& title() const { return title_; }
    void setTitle(const std::string& title);
    const std::shared_ptr<UIBarButtonItem>& leftBarButtonItem() const { return leftBarButtonItem_; }
    void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item);
    const std::shared_ptr<UIBarButtonItem>& rightBarButtonItem() const { return rightBarButtonItem_; }
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides);

    // For the bar showing the item: called after anything shown changed.
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }

  private:
    void changed();

    std::string title_;
    std::shared_ptr<UIBarButtonItem> leftBarButtonItem_;
    std::shared_ptr<UIBarButtonItem> rightBarButtonItem_;
    bool hidesBackButton_ = false;
    std::function<void()> changeHandler_;
};
