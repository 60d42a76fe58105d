#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace playertest {

// The second engine's helper processes whose parent is `parent` (this process by
// default), found by their name.
std::vector<pid_t> playbinHelpers(pid_t parent = 0);

// Whether the process's memory holds a library whose file name contains `name`.
bool mapsLibrary(pid_t pid, const std::string& name);

} // namespace playertest
