#include "platform/host/HeadlessHost.h"

#include "platform/Foundation/RunLoop.h"

std::vector<cairo_rectangle_int_t> HeadlessHost::renderFrame() {
    RunLoop::main().runPending();
    return renderer_.renderFrame();
}

bool HeadlessHost::writeScreenshot(const std::string& path) {
    RunLoop::main().runPending();
    return renderer_.writePNG(path);
}
