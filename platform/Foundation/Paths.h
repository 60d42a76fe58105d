#pragma once

#include <filesystem>

// The folders of the application's data root. The root is $ORVEX_HOME, else
// $XDG_DATA_HOME/orvex, else ~/.local/share/orvex. Each folder is created on first use.
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
} // namespace Paths
