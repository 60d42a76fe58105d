#pragma once

#include <string_view>

// Diagnostics that are not shown to the user: one line on standard output each,
// written whole even when several threads log at once.
void consoleLog(std::string_view line);
