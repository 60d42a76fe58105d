#include "crashreport/core/Tremor.h"

#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/Log.h"

namespace {

std::optional<std::string>& currentAppId() {
    static std::optional<std::string> appId;
    return appId;
}

// The SDK speaks only when the application's Info values turn debugging on.
void debugLog(const std::string& level, const std::string& message) {
    if (Bundle::main().infoValue("TremorDebugEnable").boolValue()) {
        consoleLog("[Tremor][" + level + "] " + message);
    }
}

} // namespace

void Tremor::startWithAppId(const std::string& appId) {
    if (appId.empty()) {
        debugLog("Error", "start refused: the app ID is empty");
        return;
    }
    if (currentAppId()) {
        debugLog("Warning", "already started with app ID " + *currentAppId());
        return;
    }
    currentAppId() = appId;
    debugLog("Info", "started with app ID " + appId);
}

std::optional<std::string> Tremor::startedAppId() {
    return currentAppId();
}
