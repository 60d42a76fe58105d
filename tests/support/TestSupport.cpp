#include "tests/support/TestSupport.h"

#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"

#include <atomic>
#include <cstdlib>

namespace testsupport {

std::filesystem::path dataRoot() {
    return Paths::dataRoot();
}

std::filesystem::path freshFolder(const std::string& name) {
    static std::atomic<int> counter{0};
    auto folder = dataRoot() / (name + "-" + std::to_string(counter++));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::shared_ptr<VirtualClock> useVirtualClock() {
    auto clock = std::make_shared<VirtualClock>();
    RunLoop::main().setClock(clock);
    return clock;
}

std::filesystem::path sourceDir() {
    const char* dir = std::getenv("ORVEX_SOURCE_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::current_path();
}

std::filesystem::path sharedMediaDir() {
    const char* build = std::getenv("ORVEX_BUILD_DIR");
    return build != nullptr ? std::filesystem::path(build) / "test-fixtures" / "devservice-media"
                            : dataRoot() / "devservice-media";
}

} // namespace testsupport
