#pragma once

#include "platform/CommonCrypto/CommonCryptor.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cryptortest {

using Bytes = std::vector<std::uint8_t>;

Bytes fromHex(const std::string& hex);
std::string toHex(const Bytes& bytes);

struct Outcome {
    CCCryptorStatus status = kCCSuccess;
    Bytes data;
};

struct CryptorSetup {
    CCOperation operation = kCCEncrypt;
    CCMode mode = kCCModeCBC;
    CCAlgorithm algorithm = kCCAlgorithmAES;
    CCPadding padding = ccNoPadding;
    Bytes key;
    Bytes iv; // empty: no IV given
};

// Runs a cryptor over `input`, fed in pieces of `piece` bytes (all at once when 0),
// each step given exactly the output room that CCCryptorGetOutputLength asks for.
Outcome runCryptor(const CryptorSetup& setup, const Bytes& input, std::size_t piece = 0);

// The one-shot call with ample output room.
Outcome runOneShot(CCOperation operation, CCAlgorithm algorithm, CCOptions options, const Bytes& key,
                   const Bytes& iv, const Bytes& input);

} // namespace cryptortest
