#pragma once

// Proxies named in the environment (http_proxy, https_proxy, all_proxy, in either case)
// are not used: every connection of the process goes straight to its peer. Removes those
// variables, so that no library of the process (curl, the engines' HTTP clients) and no
// helper it starts (the web helper) finds them, and says on the console which were
// ignored. The programs started for the user (the browser, through the desktop's opener)
// still get them: they are the user's settings (UserProgramEnvironment.h). Called first in
// main, before any thread starts: changing the environment is not thread-safe.
void ignoreProxyEnvironment();
