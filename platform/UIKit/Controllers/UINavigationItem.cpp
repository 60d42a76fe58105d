#include "platform/UIKit/Controllers/UINavigationItem.h"

#include "platform/UIKit/Controllers/UIBarButtonItem.h"

void UINavigationItem::setTitle(const std::string& title) {
    if (title_ == title) {
        return;
    }
    title_ = title;
    changed();
}

void UINavigationItem::setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item) {
    if (leftBarButtonItem_ == item) {
        return;
    }
    leftBarButtonItem_ = std::move(item);
    changed();
}

void UINavigationItem::setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item) {
    if (rightBarButtonItem_ == item) {
        return;
    }
    rightBarButtonItem_ = std::move(item);
    changed();
}

void UINavigationItem::setHidesBackButton(bool hides) {
    if (hidesBackButton_ == hides) {
        return;
    }
    hidesBackButton_ = hides;
    changed();
}

void UINavigationItem::changed() {
    // The handler may replace itself; run a copy.
    if (auto handler = changeHandler_) {
        handler();
    }
}
