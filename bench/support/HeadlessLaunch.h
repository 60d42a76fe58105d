#pragma once

#include "bench/support/LaunchedApplication.h"
#include "platform/host/ScreenRenderer.h"

#include <memory>

// The application launched headless, with a renderer that draws its screen on demand
// (ended before the interface).
struct HeadlessLaunch : LaunchedApplication {
    std::unique_ptr<ScreenRenderer> renderer = std::make_unique<ScreenRenderer>();
};
