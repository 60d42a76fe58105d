#pragma once

#include "bench/support/LaunchedApplication.h"
#include "platform/host/SDLWindowHost.h"

#include <memory>

// The application shown in an SDL window at the screen's scale without waiting for
// vertical sync; `host` is open unless the window could not be made (and is closed
// before the interface goes).
struct WindowedLaunch : LaunchedApplication {
    std::unique_ptr<SDLWindowHost> host;

    WindowedLaunch();
};
