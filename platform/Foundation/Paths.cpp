#include "platform/Foundation/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace {

std::mutex rootMutex;
std::optional<std::filesystem::path> overriddenRoot;
std::optional<std::filesystem::path> privateRoot; // the root already made private

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
    Paths::createPrivateFolder(path);
    return path;
}

} // namespace

namespace Paths {

std::filesystem::path dataRoot() {
    std::lock_guard lock(rootMutex);
    auto root = ensured(overriddenRoot ? *overriddenRoot : defaultRoot());
    if (privateRoot != root) {
        // Folders that older versions made readable by all lie in it: closing the root
        // closes them too.
        ::chmod(root.c_str(), 0700);
        privateRoot = root;
    }
    return root;
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

bool createPrivateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return true;
    }
    const auto parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !createPrivateFolder(parent)) {
        return false;
    }
    if (::mkdir(folder.c_str(), 0700) == 0) {
        ::chmod(folder.c_str(), 0700); // a umask may have taken the owner's bits too
        return true;
    }
    return errno == EEXIST && std::filesystem::is_directory(folder, error);
}

} // namespace Paths
