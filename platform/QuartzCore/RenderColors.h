#pragma once

#include "platform/UIKit/UIColor.h"
#include "platform/render/Paint.h"

inline render::RGBA toRGBA(const UIColor& color) {
    return {color.red, color.green, color.blue, color.alpha};
}
