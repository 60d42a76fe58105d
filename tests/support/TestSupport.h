#pragma once

#include "platform/Foundation/Clock.h"

#include <filesystem>
#include <memory>
#include <string>

namespace testsupport {

// The private data root of this test process (a fresh temporary folder, removed at exit).
std::filesystem::path dataRoot();
// A fresh, empty folder inside the data root.
std::filesystem::path freshFolder(const std::string& name);
// Installs a new virtual clock on the main run loop and answers it.
std::shared_ptr<VirtualClock> useVirtualClock();
// The project's source folder (for fixtures and resources).
std::filesystem::path sourceDir();
// Where the development service keeps the HLS media it makes with ffmpeg: in the build
// folder, so that it is made once for every test process of the build.
std::filesystem::path sharedMediaDir();

} // namespace testsupport
