#pragma once

#include <functional>
#include <string>

// Whether `url` is an address the desktop's browser may be asked to open: the scheme
// "http" or "https" (any case), "//", a host, and no control characters.
bool isOpenableWebAddress(const std::string& url);

// Starts `program` (found on the search path) with `argument` as its one argument,
// without a shell, in a session of its own, its input from /dev/null, with the environment
// of the programs started for the user (UserProgramEnvironment.h). `completion` runs
// on the main run loop with whether it started and exited with status 0.
void runOpener(const std::string& program, const std::string& argument,
               std::function<void(bool success)> completion);
