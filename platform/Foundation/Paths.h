#pragma once

#include <filesystem>

// The folders of the application's data root. The root is $ORVEX_HOME, else
// $XDG_DATA_HOME/orvex, else ~/.local/share/orvex. Each folder is created on first use.
// What the application stores tells what was watched and downloaded: the root and every
// folder in it are for their owner alone (0700, whatever the umask), and the root of an
// older installation is made so at first use.
namespace Paths {
std::filesystem::path dataRoot();
std::filesystem::path documents();
std::filesystem::path library();
std::filesystem::path caches();
std::filesystem::path applicationSupport();
std::filesystem::path preferences();
std::filesystem::path temporary();
// Points the data root elsewhere for the rest of the process (tests, tools).
void setDataRoot(const std::filesystem::path& root);
// Creates `folder`, and the folders missing above it, for their owner alone. True when it
// is a folder afterwards.
bool createPrivateFolder(const std::filesystem::path& folder);
} // namespace Paths
