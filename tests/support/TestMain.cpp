#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// Every test process gets its own data root, so tests never see each other's files nor
// the user's, and may run in parallel.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 2;
    }
    const std::filesystem::path root = pattern;
    ::setenv("ORVEX_HOME", root.c_str(), 1);
    Paths::setDataRoot(root);
    RunLoop::main(); // the test's thread owns the main run loop
    const int result = RUN_ALL_TESTS();
    std::error_code error;
    if (std::getenv("ORVEX_KEEP_TEST_DATA") == nullptr) {
        std::filesystem::remove_all(root, error);
    }
    return result;
}
