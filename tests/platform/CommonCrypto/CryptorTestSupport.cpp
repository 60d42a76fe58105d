#include "tests/platform/CommonCrypto/CryptorTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace cryptortest {

Bytes fromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string toHex(const Bytes& bytes) {
    std::string hex;
    char pair[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

Outcome runCryptor(const CryptorSetup& setup, const Bytes& input, std::size_t piece) {
    Outcome outcome;
    CCCryptorRef cryptor = nullptr;
    outcome.status = CCCryptorCreateWithMode(setup.operation, setup.mode, setup.algorithm, setup.padding,
                                             setup.iv.empty() ? nullptr : setup.iv.data(), setup.key.data(),
                                             setup.key.size(), nullptr, 0, 0, 0, &cryptor);
    if (outcome.status != kCCSuccess) {
        return outcome;
    }
    if (piece == 0) {
        piece = std::max<std::size_t>(input.size(), 1);
    }
    for (std::size_t offset = 0; offset < input.size() && outcome.status == kCCSuccess; offset += piece) {
        const std::size_t length = std::min(piece, input.size() - offset);
        Bytes out(CCCryptorGetOutputLength(cryptor, length, false));
        std::size_t moved = 0;
        outcome.status =
            CCCryptorUpdate(cryptor, input.data() + offset, length, out.data(), out.size(), &moved);
        outcome.data.insert(outcome.data.end(), out.begin(),
                            out.begin() + static_cast<std::ptrdiff_t>(moved));
    }
    if (outcome.status == kCCSuccess) {
        Bytes out(CCCryptorGetOutputLength(cryptor, 0, true));
        std::size_t moved = 0;
        outcome.status = CCCryptorFinal(cryptor, out.data(), out.size(), &moved);
        outcome.data.insert(outcome.data.end(), out.begin(),
                            out.begin() + static_cast<std::ptrdiff_t>(moved));
    }
    CCCryptorRelease(cryptor);
    return outcome;
}

Outcome runOneShot(CCOperation operation, CCAlgorithm algorithm, CCOptions options, const Bytes& key,
                   const Bytes& iv, const Bytes& input) {
    Outcome outcome;
    outcome.data.resize(input.size() + kCCBlockSizeAES128);
    std::size_t moved = 0;
    outcome.status =
        CCCrypt(operation, algorithm, options, key.data(), key.size(), iv.empty() ? nullptr : iv.data(),
                input.data(), input.size(), outcome.data.data(), outcome.data.size(), &moved);
    outcome.data.resize(outcome.status == kCCSuccess ? moved : 0);
    return outcome;
}

} // namespace cryptortest
