#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Replaces a file's contents so that a crash at any instant leaves either the old or the
// new contents: write a temporary file beside it, flush it to disk, rename it over the
// old one, flush the folder. Answers false (and leaves the old file) on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

// The whole contents of a file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);
