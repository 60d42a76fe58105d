#include "app/Crypto/EncryptionTools.h"

#include "app/Crypto/KeyMaterial.h"
#include "app/Crypto/MIUAES.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Crypto/UTF8.h"
#include "platform/CommonCrypto/CommonCryptor.h"

#include <algorithm>

EncryptionTools& EncryptionTools::sharedEncryptionTools() {
    static EncryptionTools shared;
    return shared;
}

void EncryptionTools::setAlgorithm(std::uint32_t algorithm) {
    algorithm_ = algorithm;
    if (algorithm == kCCAlgorithmAES) {
        keySize_ = kCCKeySizeAES128;
        blockSize_ = kCCBlockSizeAES128;
    } else if (algorithm == kCCAlgorithmDES) {
        keySize_ = kCCKeySizeDES;
        blockSize_ = kCCBlockSizeDES;
    }
}

std::optional<std::string> EncryptionTools::encryptString(const std::string& string,
                                                          const std::string& keyString,
                                                          const std::optional<std::string>& iv) const {
    const Bytes key = keyMaterial(keyString, keySize_);
    const Bytes ivBytes = iv ? ivMaterial(*iv, blockSize_) : Bytes{};
    const CCOptions options = iv ? kCCOptionPKCS7Padding : kCCOptionPKCS7Padding | kCCOptionECBMode;
    Bytes cipher(string.size() + static_cast<std::size_t>(std::max(blockSize_, 0)));
    std::size_t moved = 0;
    if (CCCrypt(kCCEncrypt, algorithm_, options, key.data(), key.size(), iv ? ivBytes.data() : nullptr,
                string.data(), string.size(), cipher.data(), cipher.size(), &moved) != kCCSuccess) {
        return std::nullopt;
    }
    return MIUGTMBase64::stringByEncodingBytes(cipher.data(), moved);
}

std::optional<std::string> EncryptionTools::decryptString(const std::string& string) const {
    if (string.empty()) {
        return std::string{};
    }
    const std::optional<std::string> base64 = hex2bin(string);
    if (!base64) {
        return std::string{};
    }
    const std::optional<Bytes> cipher = MIUAES::decodeBase64WithString(*base64);
    if (!cipher) {
        return std::nullopt;
    }
    const Bytes key = keyMaterial(std::string(MIUAES::responseKey), keySize_);
    const Bytes iv = ivMaterial(std::string(MIUAES::responseIV), blockSize_);
    Bytes plain(cipher->size() + static_cast<std::size_t>(std::max(blockSize_, 0)));
    std::size_t moved = 0;
    if (CCCrypt(kCCDecrypt, algorithm_, kCCOptionPKCS7Padding, key.data(), key.size(), iv.data(),
                cipher->data(), cipher->size(), plain.data(), plain.size(), &moved) != kCCSuccess ||
        !isValidUTF8(plain.data(), moved)) {
        return std::nullopt;
    }
    return std::string(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(moved));
}

std::optional<std::string> EncryptionTools::hex2bin(const std::string& text) const {
    return MIUAES::hex2bin(text);
}

std::string EncryptionTools::base64encode(const std::string& text) {
    return MIUGTMBase64::encodeBase64String(text).value_or(std::string{});
}
