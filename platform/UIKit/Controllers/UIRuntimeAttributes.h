#pragma once

#include "platform/UIKit/UIColor.h"

#include <memory>
#include <string>
#include <variant>

class UIImage;

// A value an interface file gives a property by name (a user-defined runtime attribute):
// a switch, a number, a text, a colour or an image.
using UIRuntimeAttributeValue = std::variant<bool, double, std::string, UIColor, std::shared_ptr<UIImage>>;

// Objects an interface file (a storyboard) can make. It sets their properties by name:
// classes answer for the keys they have and pass the others to their base; the root
// answers false, so that a key no class knows, or a value of the wrong kind, is reported
// instead of ignored. Once every object of the scene is made, set up and connected,
// each is sent awakeFromNib.
class UINibLoadable {
  public:
    virtual ~UINibLoadable() = default;
    virtual bool setValue(const UIRuntimeAttributeValue& value, const std::string& key);
    virtual void awakeFromNib() {}
};

// Reads a value of one kind; nothing when the value is of another kind.
template <class T> const T* runtimeAttribute(const UIRuntimeAttributeValue& value) {
    return std::get_if<T>(&value);
}
