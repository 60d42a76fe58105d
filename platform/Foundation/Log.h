#pragma once

#include <span>
#include <string_view>

// Diagnostics that are not shown to the user: one line on standard output each,
// written whole even when several threads log at once.
void consoleLog(std::string_view line);

// Several such lines at once, in order, handed to standard output with one flush.
void consoleLogLines(std::span<const std::string_view> lines);
