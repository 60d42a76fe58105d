#include "TLCommon/TLConfigure.h"

#include "platform/Foundation/Log.h"

namespace {

struct Configuration {
    std::optional<std::string> appKey;
    std::optional<std::string> channel;
};

Configuration& configuration() {
    static Configuration current;
    return current;
}

} // namespace

void TLConfigure::initWithAppkey(const std::string& appKey, const std::string& channel) {
    if (appKey.empty()) {
        consoleLog("[TLCommon] appkey is empty: analytics not started");
        return;
    }
    configuration() = Configuration{appKey, channel};
}

std::optional<std::string> TLConfigure::appKey() {
    return configuration().appKey;
}

std::optional<std::string> TLConfigure::channel() {
    return configuration().channel;
}
