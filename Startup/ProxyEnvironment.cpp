#include "Startup/ProxyEnvironment.h"

#include "platform/Foundation/Log.h"
#include "platform/Foundation/UserProgramEnvironment.h"

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kProxyVariables[] = {"http_proxy", "https_proxy", "all_proxy",
                                           "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"};

} // namespace

void ignoreProxyEnvironment() {
    std::string ignored;
    for (const char* variable : kProxyVariables) {
        const char* value = std::getenv(variable);
        if (value == nullptr) {
            continue;
        }
        if (*value != '\0') {
            ignored += (ignored.empty() ? "" : ", ") + std::string(variable);
        }
        UserProgramEnvironment::handBack(variable, value);
        ::unsetenv(variable);
    }
    if (!ignored.empty()) {
        consoleLog("Ignoring the proxy that the environment names (" + ignored +
                   "): connections go directly to their peers");
    }
}
