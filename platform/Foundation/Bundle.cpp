#include "platform/Foundation/Bundle.h"

#include "platform/Foundation/AtomicFile.h"

#include <cstdlib>
#include <unistd.h>

namespace {

std::filesystem::path executableFolder() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : executable.parent_path();
}

std::filesystem::path locateResources() {
    if (const char* overridden = std::getenv("ORVEX_RESOURCES");
        overridden != nullptr && *overridden != '\0') {
        return overridden;
    }
    const auto folder = executableFolder();
    for (const auto& candidate :
         {folder / "resources", folder.parent_path() / "share" / "orvex" / "resources"}) {
        if (std::filesystem::is_directory(candidate)) {
            return candidate;
        }
    }
    return ORVEX_SOURCE_RESOURCES;
}

} // namespace

Bundle& Bundle::main() {
    static Bundle bundle;
    return bundle;
}

Bundle::Bundle() : resourcePath_(locateResources()) {
    if (auto text = readWholeFile(resourcePath_ / "Info.json")) {
        info_ = JSON::parse(*text);
    }
}

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name,
                                                             const std::string& type) const {
    const std::string file = type.empty() ? name : name + "." + type;
    if (auto direct = resourcePath_ / file; std::filesystem::is_regular_file(direct)) {
        return direct;
    }
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(resourcePath_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file() && it->path().filename() == file) {
            return it->path();
        }
    }
    return std::nullopt;
}

JSON Bundle::infoValue(const std::string& key) const {
    return info_[key];
}
