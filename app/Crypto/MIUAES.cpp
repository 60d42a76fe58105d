#include "app/Crypto/MIUAES.h"

#include "app/Crypto/KeyMaterial.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Crypto/UTF8.h"
#include "platform/CommonCrypto/CommonCryptor.h"
#include "platform/Foundation/Log.h"

#include <array>
#include <memory>
#include <random>

namespace {

constexpr std::size_t kBlockSize = kCCBlockSizeAES128;

enum Padding { noPadding = 0, pkcs7Padding = 1, zeroPadding = 2, ansiX923Padding = 3, iso10126Padding = 4 };

// In these modes the cipher itself pads nothing, so PKCS7 is done here.
bool padsPKCS7ByHand(int mode) { return mode == kCCModeCFB || mode == kCCModeOFB; }

void logCipherFailure(CCCryptorStatus status) { consoleLog("Encrypt Error:" + std::to_string(status)); }

// The length of the data without its padding, or nothing when the padding is invalid.
std::optional<std::size_t> unpaddedLength(const Bytes& data, int mode, int padding) {
    const std::size_t length = data.size();
    const std::size_t last = length > 0 ? data.back() : 0;
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

// The numbers of the hexadecimal digits; 0xFF for every other byte.
constexpr std::array<std::uint8_t, 256> kHexDigits = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::uint8_t& entry : table) {
        entry = 0xFF;
    }
    for (int digit = 0; digit < 10; ++digit) {
        table['0' + digit] = static_cast<std::uint8_t>(digit);
    }
    for (int digit = 0; digit < 6; ++digit) {
        table['a' + digit] = static_cast<std::uint8_t>(10 + digit);
        table['A' + digit] = static_cast<std::uint8_t>(10 + digit);
    }
    return table;
}();

bool isScannerWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

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
    for (; i < pair.size() && kHexDigits[static_cast<unsigned char>(pair[i])] != 0xFF; ++i) {
        value = value << 4 | kHexDigits[static_cast<unsigned char>(pair[i])];
        anyDigit = true;
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

// The values of the standard Base64 digits; 0xFF for every other byte.
constexpr std::array<std::uint8_t, 256> kBase64Digits = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::uint8_t& entry : table) {
        entry = 0xFF;
    }
    for (std::size_t value = 0; value < MIUGTMBase64::standardCharset.size(); ++value) {
        table[static_cast<unsigned char>(MIUGTMBase64::standardCharset[value])] = static_cast<std::uint8_t>(value);
    }
    return table;
}();

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
    std::string bytes(text.size() / 2, '\0');
    std::size_t length = 0;
    if (text.size() != 1) {
        for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
            const std::uint8_t high = kHexDigits[static_cast<unsigned char>(text[i])];
            const std::uint8_t low = kHexDigits[static_cast<unsigned char>(text[i + 1])];
            std::uint8_t byte = 0;
            if (high < 16 && low < 16) {
                byte = static_cast<std::uint8_t>(high << 4 | low);
            } else {
                byte = scanHexPair(text[i], text[i + 1]).value_or(0);
            }
            if (byte == 0) {
                break; // the text ends at the first zero byte
            }
            bytes[length++] = static_cast<char>(byte);
        }
    }
    bytes.resize(length);
    if (!isValidUTF8(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<Bytes> MIUAES::decodeBase64WithString(const std::string& text) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t length = text.size();
    Bytes out(length / 4 * 3 + 3, 0);
    std::size_t i = 0;     // position in the text
    std::size_t digits = 0; // Base64 digits taken
    std::size_t j = 0;     // output position
    bool lastWasPadding = false;
    for (; i < length && in[i] != 0; ++i) {
        const unsigned char c = in[i];
        const std::uint8_t value = kBase64Digits[c];
        lastWasPadding = false;
        if (value != 0xFF) {
            switch (digits % 4) {
            case 0: out[j] = static_cast<std::uint8_t>(value << 2); break;
            case 1:
                out[j++] |= static_cast<std::uint8_t>(value >> 4);
                out[j] = static_cast<std::uint8_t>((value & 15) << 4);
                break;
            case 2:
                out[j++] |= static_cast<std::uint8_t>(value >> 2);
                out[j] = static_cast<std::uint8_t>((value & 3) << 6);
                break;
            default: out[j++] |= value; break;
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
    }
    // Text after a zero character is not read, but must still be ASCII.
    for (; i < length; ++i) {
        if (in[i] >= 0x80) {
            return std::nullopt;
        }
    }
    if (lastWasPadding && digits % 4 == 1) {
        return std::nullopt;
    }
    out.resize(j);
    return out;
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
    case zeroPadding: padded.insert(padded.end(), fill, 0); break;
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
    default: break;
    }
    return padded;
}

Bytes MIUAES::removeBitPaddingWithData(const Bytes& data, int mode, int operation, int padding) {
    if (operation != kCCDecrypt) {
        return data;
    }
    const std::optional<std::size_t> length = unpaddedLength(data, mode, padding);
    if (!length) {
        return {};
    }
    return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(*length));
}

std::optional<Bytes> MIUAES::MIUAESWithData(const Bytes& data, int operation, int mode, const std::string& key,
                                            int keySize, const std::string& iv, int padding) {
    const Bytes keyBytes = keyMaterial(key, keySize);
    const Bytes ivBytes = ivMaterial(iv, keySize);
    const Bytes padded = operation == kCCEncrypt ? bitPaddingWithData(data, mode, padding) : Bytes{};
    const Bytes& input = operation == kCCEncrypt ? padded : data;

    CCCryptorRef created = nullptr;
    CCCryptorStatus status = CCCryptorCreateWithMode(
        static_cast<CCOperation>(operation), static_cast<CCMode>(mode), kCCAlgorithmAES,
        padding == pkcs7Padding ? ccPKCS7Padding : ccNoPadding, ivBytes.data(), keyBytes.data(), keyBytes.size(),
        nullptr, 0, 0, 0, &created);
    if (status != kCCSuccess) {
        logCipherFailure(status);
        return std::nullopt;
    }
    const std::unique_ptr<CCCryptor, decltype(&CCCryptorRelease)> cryptor(created, CCCryptorRelease);
    Bytes output(CCCryptorGetOutputLength(cryptor.get(), input.size(), true));
    std::size_t updated = 0;
    status = CCCryptorUpdate(cryptor.get(), input.data(), input.size(), output.data(), output.size(), &updated);
    // The final step also runs without cipher padding: it reports a partial block that
    // would otherwise be dropped without a word.
    std::size_t finished = 0;
    if (status == kCCSuccess) {
        status = CCCryptorFinal(cryptor.get(), output.data() + updated, output.size() - updated, &finished);
    }
    if (status != kCCSuccess) {
        logCipherFailure(status);
        return std::nullopt;
    }
    output.resize(updated + finished);
    if (operation == kCCDecrypt && !output.empty()) {
        const std::optional<std::size_t> length = unpaddedLength(output, mode, padding);
        output.resize(length.value_or(0));
    }
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

std::string MIUAES::MIUAESDecrypt(const std::string& text) {
    const std::optional<std::string> base64 = hex2bin(text);
    if (!base64) {
        return {};
    }
    const std::optional<Bytes> cipher = decodeBase64WithString(*base64);
    if (!cipher) {
        return {};
    }
    const std::optional<Bytes> plain = MIUAESWithData(*cipher, kCCDecrypt, kCCModeCBC, std::string(responseKey),
                                                      kCCKeySizeAES128, std::string(responseIV), pkcs7Padding);
    if (!plain || !isValidUTF8(plain->data(), plain->size())) {
        return {};
    }
    return std::string(plain->begin(), plain->end());
}

std::string MIUAES::encryptPayload(const std::string& json) {
    return hexText(MIUAESEncrypt(json, kCCModeCBC, std::string(responseKey), kCCKeySizeAES128,
                                 std::string(responseIV), pkcs7Padding));
}
