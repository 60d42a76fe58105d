#include "app/Crypto/KeyMaterial.h"

#include "platform/CommonCrypto/CommonCryptor.h"

#include <algorithm>

Bytes keyMaterial(const std::string& text, int size) {
    constexpr int kLargestUsefulSize = 64;
    Bytes bytes(static_cast<std::size_t>(std::clamp(size, 0, kLargestUsefulSize)), 0);
    std::copy_n(text.begin(), std::min(bytes.size(), text.size()), bytes.begin());
    return bytes;
}

Bytes ivMaterial(const std::string& text, int size) {
    Bytes bytes = keyMaterial(text, size);
    if (bytes.size() < kCCBlockSizeAES128) {
        bytes.resize(kCCBlockSizeAES128, 0);
    }
    return bytes;
}
