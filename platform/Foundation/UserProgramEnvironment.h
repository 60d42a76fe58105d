#pragma once

#include <string>
#include <vector>

// The environment of the programs started for the user (the browser or file manager,
// through the desktop's opener). The process may take variables out of its own
// environment that it must not use itself (a proxy its connections go around); they are
// still the user's settings, and the programs started for the user get them back. Other
// children (helpers of the process) are started with the process's own environment and
// do not.
namespace UserProgramEnvironment {
// Records `name` with `value` as taken out of the process's environment, to be handed to
// the programs started for the user.
void handBack(const std::string& name, const std::string& value);
// The process's environment ("NAME=value" each) with the recorded variables, which
// replace any of the same name.
std::vector<std::string> entries();
} // namespace UserProgramEnvironment
