#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <memory>
#include <string>
#include <vector>

class UITouch;
class UIEvent;

// Keys the window host delivers to the first responder besides typed text.
enum class UIKeyCommand {
    returnKey,
    escape,
    tab,
    leftArrow,
    rightArrow,
    upArrow,
    downArrow,
    home,
    end,
    deleteForward
};

// The base of everything that handles events: views, controllers, the application. Events
// a responder does not handle go to its next responder (a view's superview or controller).
class UIResponder : public std::enable_shared_from_this<UIResponder> {
  public:
    virtual ~UIResponder();

    virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

    // First responder: the one responder that receives typed text and keys.
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    static std::shared_ptr<UIResponder> currentFirstResponder();

    // Touches; by default passed on to the next responder.
    virtual void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);
    virtual void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);
    virtual void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);
    virtual void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);

    // A scroll wheel or touchpad scroll of (deltaX, deltaY) points over this responder;
    // positive values move the content offset on (towards what lies below or to the
    // right). Answers whether it was used. By default passed on to the next responder.
    virtual bool scrollWheel(CGFloat deltaX, CGFloat deltaY);

    // Text input (the key-input protocol), for responders that edit text.
    virtual bool acceptsTextInput() const { return false; }
    virtual void insertText(const std::string& text) {}
    virtual void deleteBackward() {}
    // Text being composed by an input method: shown marked, not yet inserted. An empty
    // text ends the composition.
    virtual void setMarkedText(const std::string& text) {}
    // A key pressed while this responder (or one after it in the chain) is first responder.
    // Answers whether it was used; by default passed on to the next responder.
    virtual bool keyCommand(UIKeyCommand command);
    // Where the text being edited is, in window coordinates (input method windows go there).
    virtual CGRect textInputRect() const { return CGRectZero; }

  protected:
    // Called after this responder gained or lost first-responder status.
    virtual void firstResponderDidChange() {}
};
