#include "platform/UIKit/Controllers/UIRuntimeAttributes.h"

bool UINibLoadable::setValue(const UIRuntimeAttributeValue&, const std::string&) {
    return false;
}
