#include "app/Crypto/MIUAES.h"
#include "app/Crypto/MIUGTMBase64.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// The decoder's console lines ("Encrypt Error:...") would only slow the run down.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return std::freopen("/dev/null", "w", stdout) != nullptr ? 0 : 1;
}

// Outside input reaches the payload decoder and the Base64 decoders: none of them may
// crash, read out of bounds or give results that break their own invariants.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Output of the decoder, when any, is the plaintext of a whole-block ciphertext.
    const std::string plain = MIUAES::MIUAESDecrypt(text);
    if (!plain.empty() && MIUAES::MIUAESDecrypt(MIUAES::encryptPayload(plain)) != plain) {
        std::abort();
    }

    // Payloads of the service's own making decode to their text (when it is UTF-8),
    // and a payload with one character changed decodes to something or to nothing.
    std::string payload = MIUAES::encryptPayload(text);
    const std::string decrypted = MIUAES::MIUAESDecrypt(payload);
    if (!decrypted.empty() && decrypted != text) {
        std::abort();
    }
    if (size >= 2) {
        payload[data[0] % payload.size()] = static_cast<char>(data[1]);
        MIUAES::MIUAESDecrypt(payload);
    }

    const std::optional<std::string> base64 = MIUAES::hex2bin(text);
    if (base64 && (base64->size() > size / 2 || base64->find('\0') != std::string::npos)) {
        std::abort();
    }
    const std::optional<Bytes> lenient = MIUAES::decodeBase64WithString(text);
    if (lenient && lenient->size() > size / 4 * 3 + 2) {
        std::abort();
    }

    // Whatever the strict decoders accept, they give back after encoding it again.
    const std::optional<Bytes> decoded = MIUGTMBase64::decodeBytes(data, size);
    if (decoded && MIUGTMBase64::decodeData(MIUGTMBase64::encodeData(*decoded).value()) != decoded) {
        std::abort();
    }
    const std::optional<Bytes> webSafe = MIUGTMBase64::webSafeDecodeBytes(data, size);
    if (webSafe && MIUGTMBase64::webSafeDecodeData(
                       MIUGTMBase64::webSafeEncodeData(*webSafe, false).value()) != webSafe) {
        std::abort();
    }
    return 0;
}
