#include "platform/UIKit/UIResponder.h"

namespace {
std::weak_ptr<UIResponder>& firstResponder() {
    static std::weak_ptr<UIResponder> responder;
    return responder;
}
} // namespace

UIResponder::~UIResponder() = default;

std::shared_ptr<UIResponder> UIResponder::currentFirstResponder() {
    return firstResponder().lock();
}

bool UIResponder::isFirstResponder() const {
    return firstResponder().lock().get() == this;
}

bool UIResponder::becomeFirstResponder() {
    if (isFirstResponder()) {
        return true;
    }
    if (!canBecomeFirstResponder()) {
        return false;
    }
    if (auto current = firstResponder().lock()) {
        if (!current->resignFirstResponder()) {
            return false;
        }
    }
    firstResponder() = weak_from_this();
    firstResponderDidChange();
    return true;
}

bool UIResponder::resignFirstResponder() {
    if (!isFirstResponder()) {
        return true;
    }
    if (!canResignFirstResponder()) {
        return false;
    }
    firstResponder().reset();
    firstResponderDidChange();
    return true;
}

void UIResponder::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    if (auto next = nextResponder()) {
        next->touchesBegan(touches, event);
    }
}

void UIResponder::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    if (auto next = nextResponder()) {
        next->touchesMoved(touches, event);
    }
}

void UIResponder::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    if (auto next = nextResponder()) {
        next->touchesEnded(touches, event);
    }
}

void UIResponder::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    if (auto next = nextResponder()) {
        next->touchesCancelled(touches, event);
    }
}

bool UIResponder::scrollWheel(CGFloat deltaX, CGFloat deltaY) {
    auto next = nextResponder();
    return next && next->scrollWheel(deltaX, deltaY);
}

bool UIResponder::keyCommand(UIKeyCommand command) {
    auto next = nextResponder();
    return next && next->keyCommand(command);
}
