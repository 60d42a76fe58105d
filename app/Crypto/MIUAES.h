#pragma once

#include "app/Crypto/Bytes.h"

#include <optional>
#include <string>
#include <string_view>

// The service's payload cipher: every payload and every parsed media address arrives
// as hexadecimal text of the Base64 text of AES-128-CBC ciphertext (PKCS7 padding)
// under the response key and initialisation vector below; the plaintext is UTF-8.
//
// Operations, modes and algorithms are CommonCrypto's numbers: operation 0 encrypt,
// 1 decrypt; mode 1 ECB, 2 CBC, 3 CFB, 4 CTR, 7 OFB. Padding kinds:
//   0 none;
//   1 PKCS7, done by the cipher in ECB and CBC and by this class in CFB and OFB
//     (stream modes, where the cipher pads nothing; CTR is left unpadded);
//   2 zero bytes (1 to 16 added; all trailing zero bytes removed);
//   3 ANSI X9.23 (zero bytes, then the count);
//   4 ISO 10126 (random bytes 1 to 254, then the count);
//   other values: none.
// Cipher failures write the console line "Encrypt Error:<status>".
class MIUAES {
  public:
    // The response key and initialisation vector (their UTF-8 bytes are used).
    static constexpr std::string_view responseKey = "Qm7tLw2pXv9cRb4N";
    static constexpr std::string_view responseIV = "Hs3kZa8uYe1gTq6W";

    // The payload decoder: hexadecimal -> Base64 text -> ciphertext -> UTF-8 text.
    // Anything that does not decode or decrypt gives the empty text.
    static std::string MIUAESDecrypt(std::string_view text);
    // The same into `plain`, whose storage is reused: a caller decoding one payload after
    // another keeps one buffer. False, with `plain` empty, when the payload gives nothing.
    static bool MIUAESDecryptInto(std::string_view text, std::string& plain);
    // The same without the final check that the plain text is UTF-8, for a caller that
    // parses it as JSON at once: the parser refuses text that is not UTF-8 itself.
    static bool decryptPayloadBytesInto(std::string_view text, std::string& plain);

    // What the service does to a payload, and the exact inverse of MIUAESDecrypt for
    // any UTF-8 text: AES-128-CBC with PKCS7 under the response key and IV, standard
    // Base64 with padding and no line breaks, then lower-case hexadecimal of the
    // Base64 text's bytes.
    static std::string encryptPayload(const std::string& json);

    // The text's UTF-8 bytes encrypted by MIUAESWithData, as padded standard Base64;
    // the empty text when encryption fails.
    static std::string MIUAESEncrypt(const std::string& text, int mode, const std::string& key, int keySize,
                                     const std::string& iv, int padding);
    // Standard Base64 (padding required) decrypted by MIUAESWithData and read as
    // UTF-8; the empty text when any step fails.
    static std::string MIUAESDecrypt(const std::string& base64, int mode, const std::string& key, int keySize,
                                     const std::string& iv, int padding);

    // The general routine with AES. Key and IV are the UTF-8 bytes of the texts, cut
    // or zero-filled to keySize bytes. Encryption pads first; decryption removes the
    // padding afterwards, giving empty data when the padding is invalid. Nothing when
    // the cipher refuses (the status is logged); in ECB and CBC that includes input
    // that is not whole blocks after padding.
    static std::optional<Bytes> MIUAESWithData(const Bytes& data, int operation, int mode,
                                               const std::string& key, int keySize, const std::string& iv,
                                               int padding);

    static Bytes bitPaddingWithData(const Bytes& data, int mode, int padding);
    // Decryption (operation 1) only; other operations leave the data unchanged.
    static Bytes removeBitPaddingWithData(const Bytes& data, int mode, int operation, int padding);

    // Pairs of hexadecimal digits to bytes, read as text up to the first zero byte.
    // A pair is read like a hexadecimal number (leading white space and a "0x" prefix
    // accepted, stopping at the first non-digit); a pair without any digit ends the
    // text there. A one-character text gives the empty text, a final odd character is
    // ignored, and bytes that are not UTF-8 give nothing.
    static std::optional<std::string> hex2bin(const std::string& text);

    // Lenient standard Base64: white space and "=" are skipped (a lone digit before
    // "=" is invalid), a zero character ends the text, a partial last byte is dropped.
    // Nothing for non-ASCII text or characters outside the alphabet.
    static std::optional<Bytes> decodeBase64WithString(const std::string& text);
};
