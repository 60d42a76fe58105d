#include "platform/Foundation/Paths.h"

#include <cstdlib>
#include <mutex>
#include <optional>

namespace {

std::mutex rootMutex;
std::optional<std::filesystem::path> overriddenRoot;

std::filesystem::path defaultRoot() {
    if (const char* home = std::getenv("ORVEX_HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
        return std::filesystem::path(xdg) / "orvex";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".local" / "share" / "orvex";
    }
    return std::filesystem::temp_directory_path() / "orvex";
}

std::filesystem::path ensured(std::filesystem::path path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return path;
}

} // namespace

namespace Paths {

std::filesystem::path dataRoot() {
    std::lock_guard lock(rootMutex);
    return ensured(overriddenRoot ? *overriddenRoot : defaultRoot());
}

std::filesystem::path documents() {
    return ensured(dataRoot() / "Documents");
}
std::filesystem::path library() {
    return ensured(dataRoot() / "Library");
}
std::filesystem::path caches() {
    return ensured(library() / "Caches");
}
std::filesystem::path applicationSupport() {
    return ensured(library() / "Application Support");
}
std::filesystem::path preferences() {
    return ensured(library() / "Preferences");
}
std::filesystem::path temporary() {
    return ensured(dataRoot() / "tmp");
}

void setDataRoot(const std::filesystem::path& root) {
    std::lock_guard lock(rootMutex);
    overriddenRoot = root;
}

} // namespace Paths
