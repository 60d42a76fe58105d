#include "tests/app/Crypto/OpenSSLCommand.h"

#include "platform/Foundation/AtomicFile.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstdlib>

namespace cryptotest {

std::optional<std::string> runOpenSSL(const std::string& arguments, const std::string& input) {
    const std::filesystem::path folder = testsupport::freshFolder("openssl");
    const std::filesystem::path in = folder / "in";
    const std::filesystem::path out = folder / "out";
    if (!writeFileAtomically(in, input)) {
        return std::nullopt;
    }
    const std::string command =
        "openssl " + arguments + " -in '" + in.string() + "' -out '" + out.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        return std::nullopt;
    }
    return readWholeFile(out);
}

std::string hexOf(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (const char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        hex += pair;
    }
    return hex;
}

std::string unhex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

} // namespace cryptotest
