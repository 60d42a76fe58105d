#include "platform/Foundation/UserProgramEnvironment.h"

#include <map>
#include <mutex>

extern char** environ;

namespace UserProgramEnvironment {

namespace {

std::mutex handedBackMutex;
std::map<std::string, std::string> handedBack;

} // namespace

void handBack(const std::string& name, const std::string& value) {
    std::lock_guard lock(handedBackMutex);
    handedBack[name] = value;
}

std::vector<std::string> entries() {
    std::lock_guard lock(handedBackMutex);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (handedBack.count(text.substr(0, text.find('='))) == 0) {
            environment.push_back(text);
        }
    }
    for (const auto& [name, value] : handedBack) {
        environment.push_back(name + "=" + value);
    }
    return environment;
}

} // namespace UserProgramEnvironment
