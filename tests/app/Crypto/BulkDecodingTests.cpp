// The payload decoder takes long runs of plain digits many characters at a time. These
// tests hold it to plain character-by-character readings of its rules, with unusual
// characters placed at every position of long inputs, so that each block size and
// each hand-over between the bulk steps and the careful ones is crossed.

#include "app/Crypto/MIUAES.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Crypto/UTF8.h"
#include "platform/Foundation/HexDigit.h"
#include "tests/app/Crypto/OpenSSLCommand.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string_view>

using namespace cryptotest;

namespace {

std::optional<std::string> referenceHex2bin(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; text.size() != 1 && i + 1 < text.size(); i += 2) {
        std::string_view pair(text.data() + i, 2);
        while (!pair.empty() && std::isspace(static_cast<unsigned char>(pair.front())) != 0) {
            pair.remove_prefix(1);
        }
        int value = 0;
        if (pair == "0x" || pair == "0X") {
            value = 0;
        } else {
            bool anyDigit = false;
            for (const char c : pair) {
                if (hexDigitValue(c) < 0) {
                    break;
                }
                value = value * 16 + hexDigitValue(c);
                anyDigit = true;
            }
            if (!anyDigit) {
                value = 0;
            }
        }
        if (value == 0) {
            break;
        }
        bytes.push_back(static_cast<char>(value));
    }
    if (!isValidUTF8(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<Bytes> referenceBase64(const std::string& text) {
    static constexpr std::string_view alphabet = MIUGTMBase64::standardCharset;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        }
    }
    Bytes out(text.size() + 3, 0);
    std::size_t digits = 0;
    std::size_t j = 0;
    bool lastWasPadding = false;
    for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const char c = text[i];
        const std::size_t d = alphabet.find(c);
        lastWasPadding = false;
        if (d != std::string_view::npos) {
            switch (digits % 4) {
            case 0:
                out[j] = static_cast<std::uint8_t>(d << 2);
                break;
            case 1:
                out[j++] |= static_cast<std::uint8_t>(d >> 4);
                out[j] = static_cast<std::uint8_t>((d & 15) << 4);
                break;
            case 2:
                out[j++] |= static_cast<std::uint8_t>(d >> 2);
                out[j] = static_cast<std::uint8_t>((d & 3) << 6);
                break;
            default:
                out[j++] |= static_cast<std::uint8_t>(d);
                break;
            }
            ++digits;
        } else if (c == '=') {
            if ((i + 1 >= text.size() || text[i + 1] != '=') && digits % 4 == 1) {
                return std::nullopt;
            }
            lastWasPadding = true;
        } else if (std::string_view("\t\n\f\r ").find(c) == std::string_view::npos) {
            return std::nullopt;
        }
    }
    if (lastWasPadding && digits % 4 == 1) {
        return std::nullopt;
    }
    out.resize(j);
    return out;
}

std::string referenceDecrypt(const std::string& payload) {
    const std::optional<std::string> base64 = referenceHex2bin(payload);
    const std::optional<Bytes> cipher = base64 ? referenceBase64(*base64) : std::nullopt;
    const std::optional<Bytes> plain =
        cipher ? MIUAES::MIUAESWithData(*cipher, 1, 2, std::string(MIUAES::responseKey), 16,
                                        std::string(MIUAES::responseIV), 1)
               : std::nullopt;
    if (!plain || !isValidUTF8(plain->data(), plain->size())) {
        return "";
    }
    return std::string(plain->begin(), plain->end());
}

std::string longJSON() {
    std::string json = R"({"list":[)";
    for (int i = 0; json.size() < 700; ++i) {
        json += R"({"id":)" + std::to_string(i) + R"(,"name":"片名)" + std::to_string(i) + "\"},";
    }
    json.back() = ']';
    return json + "}";
}

void expectSameAsReference(const std::string& payload) {
    EXPECT_EQ(MIUAES::hex2bin(payload), referenceHex2bin(payload));
    EXPECT_EQ(MIUAES::MIUAESDecrypt(payload), referenceDecrypt(payload));
}

TEST(BulkDecoding, HexadecimalTextAgreesWithThePairByPairRules) {
    const std::string json = longJSON();
    const std::string payload = MIUAES::encryptPayload(json);
    ASSERT_EQ(MIUAES::MIUAESDecrypt(payload), json);
    std::string upper = payload;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    ASSERT_EQ(MIUAES::MIUAESDecrypt(upper), json);

    testing::internal::CaptureStdout(); // broken payloads log cipher failures
    for (std::size_t position = 0; position < 400; ++position) {
        SCOPED_TRACE(position);
        for (const std::string_view change : {"g", " ", "0x", "00", "80", "3d", "0a", "2d"}) {
            std::string changed = payload;
            changed.replace(position, change.size(), change);
            expectSameAsReference(changed);
        }
        expectSameAsReference(payload.substr(0, position));
    }
    testing::internal::GetCapturedStdout();
}

TEST(BulkDecoding, Base64TextAgreesWithTheCharacterByCharacterRules) {
    const std::string json = longJSON();
    const std::string base64 = *MIUAES::hex2bin(MIUAES::encryptPayload(json));
    testing::internal::CaptureStdout();
    for (std::size_t position = 0; position < 300; ++position) {
        SCOPED_TRACE(position);
        for (const std::string_view change :
             {std::string_view("="), std::string_view("=="), std::string_view("\n"), std::string_view("\r\n"),
              std::string_view(" "), std::string_view("-"), std::string_view("\0", 1),
              std::string_view("\x80")}) {
            std::string changed = base64;
            changed.insert(position, change);
            EXPECT_EQ(MIUAES::decodeBase64WithString(changed), referenceBase64(changed));
            expectSameAsReference(hexOf(changed));
            changed = base64;
            changed.replace(position, change.size(), change);
            EXPECT_EQ(MIUAES::decodeBase64WithString(changed), referenceBase64(changed));
            expectSameAsReference(hexOf(changed));
        }
    }
    testing::internal::GetCapturedStdout();
}

TEST(BulkDecoding, UTF8ValidationFollowsTheStandard) {
    const auto valid = [](std::string_view text) {
        return isValidUTF8(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    EXPECT_TRUE(valid(""));
    EXPECT_TRUE(valid(std::string_view("a\0b", 3)));
    EXPECT_TRUE(valid("é中😀"));
    EXPECT_TRUE(valid("\xf4\x8f\xbf\xbf")); // U+10FFFF
    EXPECT_FALSE(valid("\xc0\x80"));        // over-long
    EXPECT_FALSE(valid("\xe0\x80\x80"));
    EXPECT_FALSE(valid("\xed\xa0\x80"));     // surrogate
    EXPECT_FALSE(valid("\xf4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(valid("\xe4\xb8"));         // cut off
    EXPECT_FALSE(valid("\x80"));             // stray continuation
    EXPECT_FALSE(valid(std::string(100, 'a') + "\xff" + std::string(100, 'a')));
}

} // namespace
