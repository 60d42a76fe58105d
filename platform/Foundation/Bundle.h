#pragma once

#include "platform/Foundation/JSON.h"

#include <filesystem>
#include <optional>
#include <string>

// The application's resources: the folder "resources" beside the program when
// installed, or the source tree's when run from the build tree ($ORVEX_RESOURCES
// overrides both). Info values come from "Info.json" in that folder.
class Bundle {
  public:
    static Bundle& main();

    const std::filesystem::path& resourcePath() const { return resourcePath_; }
    // The path of resource `name`.`type` (type may be empty), searched in the resource
    // folder and its subfolders; nothing when it does not exist.
    std::optional<std::filesystem::path> pathForResource(const std::string& name,
                                                         const std::string& type) const;
    JSON infoValue(const std::string& key) const;
    std::string shortVersionString() const { return infoValue("CFBundleShortVersionString").stringValue(); }

  private:
    Bundle();
    std::filesystem::path resourcePath_;
    JSON info_;
};
