#include "platform/render/DisplayScale.h"

#include <atomic>

namespace render {
namespace {
std::atomic<double> currentScale{2.0};
} // namespace

double displayScale() {
    return currentScale.load();
}

void setDisplayScale(double scale) {
    if (scale > 0) {
        currentScale.store(scale);
    }
}

} // namespace render
