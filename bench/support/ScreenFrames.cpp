#include "bench/support/ScreenFrames.h"

#include "platform/QuartzCore/LayerCompositor.h"
#include "platform/UIKit/UIWindow.h"

namespace benchframes {

LayerCompositor& compositor() {
    static LayerCompositor shared(static_cast<int>(kWidth * kScale), static_cast<int>(kHeight * kScale),
                                  kScale);
    return shared;
}

void compose(UIWindow& window) {
    window.layoutIfNeeded();
    compositor().render(*window.layer());
}

void composeAll(UIWindow& window) {
    compositor().invalidateAll();
    compose(window);
}

} // namespace benchframes
