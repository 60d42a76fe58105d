#include "app/Crypto/MIUAES.h"

#include "app/Crypto/BulkDecoding.h"
#include "app/Crypto/KeyMaterial.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Crypto/UTF8.h"
#include "platform/CommonCrypto/CommonCryptor.h"
#include "platform/Foundation/Log.h"

#include <algorithm>
#include <array>
#include <memory>
#include <random>

namespace {

using bulkdecoding::kBase64DigitValues;
using bulkdecoding::kHexDigitValues;
using bulkdecoding::kNotADigit;

constexpr std::size_t kBlockSize = kCCBlockSizeAES128;

enum Padding { noPadding = 0, pkcs7Padding = 1, zeroPadding = 2, ansiX923Padding = 3, iso10126Padding = 4 };

// In these modes the cipher itself pads nothing, so PKCS7 is done here.
bool padsPKCS7ByHand(int mode) {
    return mode == kCCModeCFB || mode == kCCModeOFB;
}

void logCipherFailure(CCCryptorStatus status) {
    consoleLog("Encrypt Error:" + std::to_string(status));
}

// The length of the data without its padding, or nothing when the padding is invalid.
std::optional<std::size_t> unpaddedLength(const std::uint8_t* data, std::size_t length, int mode,
                                          int padding) {
    const std::size_t last = length > 0 ? data[length - 1] : 0;
    switch (padding) {
    case pkcs7Padding:
        if (padsPKCS7ByHand(mode) && last >= 1 && last <= kBlockSize && last <= length) {
            return length - last;
        }
        return length;
    case zeroPadding: {
        if (last != 0) {
            return std::nullopt;
        }
        std::size_t kept = length;
        while (kept > 0 && data[kept - 1] == 0) {
            --kept;
        }
        return kept;
    }
    case ansiX923Padding:
    case iso10126Padding:
        if (last >= 1 && last <= kBlockSize && last <= length) {
            return length - last;
        }
        return std::nullopt;
    default:
        return length;
    }
}

// The cipher step of the general routine: AES over `length` bytes into `room` bytes at
// `out` (at least the input length, plus one block when encrypting; `out` may be
// `in`), then, when decrypting, the padding removed (invalid padding leaves nothing).
// Answers the length of the result; nothing when the cipher refuses.
std::optional<std::size_t> runAES(int operation, int mode, const std::string& key, int keySize,
                                  const std::string& iv, int padding, const std::uint8_t* in,
                                  std::size_t length, std::uint8_t* out, std::size_t room) {
    const Bytes keyBytes = keyMaterial(key, keySize);
    const Bytes ivBytes = ivMaterial(iv, keySize);
    CCCryptorRef created = nullptr;
    CCCryptorStatus status =
        CCCryptorCreateWithMode(static_cast<CCOperation>(operation), static_cast<CCMode>(mode),
                                kCCAlgorithmAES, padding == pkcs7Padding ? ccPKCS7Padding : ccNoPadding,
                                ivBytes.data(), keyBytes.data(), keyBytes.size(), nullptr, 0, 0, 0, &created);
    if (status != kCCSuccess) {
        logCipherFailure(status);
        return std::nullopt;
    }
    const std::unique_ptr<CCCryptor, decltype(&CCCryptorRelease)> cryptor(created, CCCryptorRelease);
    std::size_t updated = 0;
    status = CCCryptorUpdate(cryptor.get(), in, length, out, room, &updated);
    // The final step also runs without cipher padding: it reports a partial block that
    // would otherwise be dropped without a word.
    std::size_t finished = 0;
    if (status == kCCSuccess) {
        status = CCCryptorFinal(cryptor.get(), out + updated, room - updated, &finished);
    }
    if (status != kCCSuccess) {
        logCipherFailure(status);
        return std::nullopt;
    }
    const std::size_t written = updated + finished;
    if (operation == kCCDecrypt && written > 0) {
        return unpaddedLength(out, written, mode, padding).value_or(0);
    }
    return written;
}

// Payload decryption (AES-128-CBC with PKCS7 under the response key and IV) of
// `length` bytes at `in` into `out` (which may be `in`, with room for `length` bytes):
// the length of the plain text, or nothing when the cipher refuses (the status logged).
// The cryptor is made once per thread and reset for each payload, so that its key
// schedule is not built again for every answer.
std::optional<std::size_t> decryptPayloadCipher(const std::uint8_t* in, std::size_t length,
                                                std::uint8_t* out) {
    using Cryptor = std::unique_ptr<CCCryptor, decltype(&CCCryptorRelease)>;
    // Their bytes are the key and IV as they are (keyMaterial and ivMaterial would copy them).
    static_assert(MIUAES::responseKey.size() == kCCKeySizeAES128 && MIUAES::responseIV.size() == kBlockSize);
    thread_local Cryptor cryptor(nullptr, CCCryptorRelease);
    CCCryptorStatus status = kCCSuccess;
    if (cryptor == nullptr) {
        CCCryptorRef created = nullptr;
        status = CCCryptorCreateWithMode(kCCDecrypt, kCCModeCBC, kCCAlgorithmAES, ccPKCS7Padding,
                                         MIUAES::responseIV.data(), MIUAES::responseKey.data(),
                                         MIUAES::responseKey.size(), nullptr, 0, 0, 0, &created);
        cryptor.reset(created);
    } else {
        status = CCCryptorReset(cryptor.get(), MIUAES::responseIV.data());
    }
    std::size_t updated = 0;
    if (status == kCCSuccess) {
        status = CCCryptorUpdate(cryptor.get(), in, length, out, length, &updated);
    }
    std::size_t finished = 0;
    if (status == kCCSuccess) {
        status = CCCryptorFinal(cryptor.get(), out + updated, length - updated, &finished);
    }
    if (status != kCCSuccess) {
        logCipherFailure(status);
        return std::nullopt;
    }
    return updated + finished;
}

// The lenient Base64 decoder; `out` (room for 3/4 of the length plus 3 bytes) may be
// `in`, as no byte is written before it has been read. Answers the decoded length.
std::optional<std::size_t> decodeLenientBase64(const std::uint8_t* in, std::size_t length,
                                               std::uint8_t* out) {
    std::size_t i = 0;      // position in the text
    std::size_t digits = 0; // Base64 digits taken
    std::size_t j = 0;      // output position
    bool lastWasPadding = false;
    while (i < length) {
        if (digits % 4 == 0) {
            const std::size_t run = bulkdecoding::decodeBase64Groups(in + i, length - i, out + j);
            if (run > 0) {
                i += run;
                digits += run;
                j += run / 4 * 3;
                lastWasPadding = false;
                if (i == length) {
                    break;
                }
            }
        }
        const std::uint8_t c = in[i];
        if (c == 0) {
            break;
        }
        const std::uint8_t value = kBase64DigitValues[c];
        lastWasPadding = false;
        if (value != kNotADigit) {
            switch (digits % 4) {
            case 0:
                out[j] = static_cast<std::uint8_t>(value << 2);
                break;
            case 1:
                out[j++] |= static_cast<std::uint8_t>(value >> 4);
                out[j] = static_cast<std::uint8_t>((value & 15) << 4);
                break;
            case 2:
                out[j++] |= static_cast<std::uint8_t>(value >> 2);
                out[j] = static_cast<std::uint8_t>((value & 3) << 6);
                break;
            default:
                out[j++] |= value;
                break;
            }
            ++digits;
        } else if (c == '=') {
            const bool nextIsPadding = i + 1 < length && in[i + 1] == '=';
            if (!nextIsPadding && digits % 4 == 1) {
                return std::nullopt;
            }
            lastWasPadding = true;
        } else if (c != '\t' && c != '\n' && c != '\f' && c != '\r' && c != ' ') {
            return std::nullopt; // includes every non-ASCII byte
        }
        ++i;
    }
    // Text after a zero character is not read, but must still be ASCII.
    if (std::any_of(in + i, in + length, [](std::uint8_t c) { return c >= 0x80; })) {
        return std::nullopt;
    }
    if (lastWasPadding && digits % 4 == 1) {
        return std::nullopt;
    }
    return j;
}

bool isScannerWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A pair that is not two plain digits, read as a hexadecimal number: leading white
// space skipped, an optional "0x" prefix, digits up to the first other character.
// Nothing when no digit is found.
std::optional<std::uint8_t> scanHexPair(char first, char second) {
    std::array<char, 2> pair = {first, second};
    std::size_t i = 0;
    while (i < pair.size() && isScannerWhiteSpace(pair[i])) {
        ++i;
    }
    if (i + 1 < pair.size() && pair[i] == '0' && (pair[i + 1] == 'x' || pair[i + 1] == 'X')) {
        return std::uint8_t{0}; // the prefix leaves no room for digits: "0" is the number
    }
    unsigned value = 0;
    bool anyDigit = false;
    for (; i < pair.size() && kHexDigitValues[static_cast<unsigned char>(pair[i])] != kNotADigit; ++i) {
        value = value << 4 | kHexDigitValues[static_cast<unsigned char>(pair[i])];
        anyDigit = true;
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

// The bytes of hexadecimal text up to the first zero byte, written to `out` (room for
// half the text's length); answers their number. A one-character text gives none.
std::size_t decodeHexText(std::string_view text, std::uint8_t* out) {
    const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t pairs = text.size() == 1 ? 0 : text.size() / 2;
    std::size_t done = 0; // pairs read, and bytes written
    while (done < pairs) {
        done += bulkdecoding::decodeHexPairs(in + 2 * done, pairs - done, out + done);
        if (done == pairs) {
            break;
        }
        const std::uint8_t byte = scanHexPair(text[2 * done], text[2 * done + 1]).value_or(0);
        if (byte == 0) {
            break;
        }
        out[done++] = byte;
    }
    return done;
}

std::string hexText(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(bytes.size() * 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        hex[2 * i] = kDigits[byte >> 4];
        hex[2 * i + 1] = kDigits[byte & 15];
    }
    return hex;
}

} // namespace

std::optional<std::string> MIUAES::hex2bin(const std::string& text) {
    std::string bytes(text.size() == 1 ? 0 : text.size() / 2, '\0');
    bytes.resize(decodeHexText(text, reinterpret_cast<std::uint8_t*>(bytes.data())));
    if (!isValidUTF8(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<Bytes> MIUAES::decodeBase64WithString(const std::string& text) {
    Bytes decoded(text.size() / 4 * 3 + 3);
    const std::optional<std::size_t> length =
        decodeLenientBase64(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), decoded.data());
    if (!length) {
        return std::nullopt;
    }
    decoded.resize(*length);
    return decoded;
}

Bytes MIUAES::bitPaddingWithData(const Bytes& data, int mode, int padding) {
    const std::size_t fill = kBlockSize - data.size() % kBlockSize; // 1 to 16
    Bytes padded = data;
    switch (padding) {
    case pkcs7Padding:
        if (padsPKCS7ByHand(mode)) {
            padded.insert(padded.end(), fill, static_cast<std::uint8_t>(fill));
        }
        break;
    case zeroPadding:
        padded.insert(padded.end(), fill, 0);
        break;
    case ansiX923Padding:
        padded.insert(padded.end(), fill - 1, 0);
        padded.push_back(static_cast<std::uint8_t>(fill));
        break;
    case iso10126Padding: {
        thread_local std::mt19937 generator{std::random_device{}()};
        std::uniform_int_distribution<int> filler(1, 254);
        for (std::size_t k = 1; k < fill; ++k) {
            padded.push_back(static_cast<std::uint8_t>(filler(generator)));
        }
        padded.push_back(static_cast<std::uint8_t>(fill));
        break;
    }
    default:
        break;
    }
    return padded;
}

Bytes MIUAES::removeBitPaddingWithData(const Bytes& data, int mode, int operation, int padding) {
    if (operation != kCCDecrypt) {
        return data;
    }
    const std::optional<std::size_t> length = unpaddedLength(data.data(), data.size(), mode, padding);
    return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length.value_or(0)));
}

std::optional<Bytes> MIUAES::MIUAESWithData(const Bytes& data, int operation, int mode,
                                            const std::string& key, int keySize, const std::string& iv,
                                            int padding) {
    const Bytes padded = operation == kCCEncrypt ? bitPaddingWithData(data, mode, padding) : Bytes{};
    const Bytes& input = operation == kCCEncrypt ? padded : data;
    Bytes output(input.size() + kBlockSize);
    const std::optional<std::size_t> length = runAES(operation, mode, key, keySize, iv, padding, input.data(),
                                                     input.size(), output.data(), output.size());
    if (!length) {
        return std::nullopt;
    }
    output.resize(*length);
    return output;
}

std::string MIUAES::MIUAESEncrypt(const std::string& text, int mode, const std::string& key, int keySize,
                                  const std::string& iv, int padding) {
    const std::optional<Bytes> cipher =
        MIUAESWithData(Bytes(text.begin(), text.end()), kCCEncrypt, mode, key, keySize, iv, padding);
    if (!cipher) {
        return {};
    }
    return MIUGTMBase64::stringByEncodingData(*cipher).value_or(std::string{});
}

std::string MIUAES::MIUAESDecrypt(const std::string& base64, int mode, const std::string& key, int keySize,
                                  const std::string& iv, int padding) {
    const std::optional<Bytes> cipher = MIUGTMBase64::decodeBytes(base64.data(), base64.size());
    if (!cipher) {
        return {};
    }
    const std::optional<Bytes> plain = MIUAESWithData(*cipher, kCCDecrypt, mode, key, keySize, iv, padding);
    if (!plain || !isValidUTF8(plain->data(), plain->size())) {
        return {};
    }
    return std::string(plain->begin(), plain->end());
}

std::string MIUAES::MIUAESDecrypt(std::string_view text) {
    std::string plain;
    MIUAESDecryptInto(text, plain);
    return plain;
}

bool MIUAES::MIUAESDecryptInto(std::string_view text, std::string& plain) {
    if (!decryptPayloadBytesInto(text, plain) ||
        !isValidUTF8(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size())) {
        plain.clear();
        return false;
    }
    return true;
}

bool MIUAES::decryptPayloadBytesInto(std::string_view text, std::string& plain) {
    // This is hex2bin, then decodeBase64WithString, in one buffer and mostly in one
    // pass. The Base64 text is not checked to be UTF-8 on the way: any byte above 0x7F
    // makes it invalid Base64 just as surely.
    const std::size_t pairs = text.size() == 1 ? 0 : text.size() / 2;
    plain.resize(pairs);
    auto* bytes = reinterpret_cast<std::uint8_t*>(plain.data());
    // Long runs of plain digits go from hexadecimal straight to ciphertext. The rest is
    // decoded step by step: to Base64 text at its own place in the buffer, then decoded
    // over itself, behind the ciphertext decoded so far.
    const std::size_t fused = bulkdecoding::decodeHexBase64Blocks(
        reinterpret_cast<const std::uint8_t*>(text.data()), 2 * pairs, bytes);
    const std::size_t textStart = fused / 2;
    const std::size_t decodedStart = fused / 64 * 24;
    const std::size_t textLength = decodeHexText(text.substr(fused), bytes + textStart);
    const std::optional<std::size_t> restLength =
        decodeLenientBase64(bytes + textStart, textLength, bytes + decodedStart);
    if (!restLength) {
        plain.clear();
        return false;
    }
    const std::size_t cipherLength = decodedStart + *restLength;
    const std::optional<std::size_t> plainLength = decryptPayloadCipher(bytes, cipherLength, bytes);
    if (!plainLength) {
        plain.clear();
        return false;
    }
    plain.resize(*plainLength);
    return !plain.empty();
}

std::string MIUAES::encryptPayload(const std::string& json) {
    return hexText(MIUAESEncrypt(json, kCCModeCBC, std::string(responseKey), kCCKeySizeAES128,
                                 std::string(responseIV), pkcs7Padding));
}
