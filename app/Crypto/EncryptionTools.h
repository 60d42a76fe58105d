#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The string cipher: one shared instance whose settings choose AES or DES.
// Its settings are not guarded; change them from one thread only.
class EncryptionTools {
  public:
    // Created once, with AES.
    static EncryptionTools& sharedEncryptionTools();

    // 0 AES, 1 DES. Setting 0 makes both sizes 16, setting 1 makes both 8; any other
    // value leaves the sizes as they are.
    std::uint32_t algorithm() const { return algorithm_; }
    void setAlgorithm(std::uint32_t algorithm);
    // Bytes.
    std::int32_t keySize() const { return keySize_; }
    void setKeySize(std::int32_t keySize) { keySize_ = keySize; }
    std::int32_t blockSize() const { return blockSize_; }
    void setBlockSize(std::int32_t blockSize) { blockSize_ = blockSize; }

    // The text's UTF-8 bytes encrypted with PKCS7 padding, in CBC mode with the IV
    // (zero-filled or cut to blockSize) or in ECB mode without one; the key is
    // zero-filled or cut to keySize. Standard Base64 without line breaks; nothing
    // when the cipher fails.
    std::optional<std::string> encryptString(const std::string& string, const std::string& keyString,
                                             const std::optional<std::string>& iv) const;

    // The payload pipeline with these settings: hexadecimal -> Base64 -> CBC
    // decryption under the response key and IV (cut or zero-filled to keySize and
    // blockSize) with PKCS7 -> UTF-8 text. The empty text gives the empty text, and so
    // does hexadecimal that yields no text; nothing when the Base64, the cipher or
    // the UTF-8 fails.
    std::optional<std::string> decryptString(const std::string& string) const;

    // As MIUAES::hex2bin.
    std::optional<std::string> hex2bin(const std::string& text) const;

    // Standard Base64 with padding of the text's UTF-8 bytes; empty for empty text.
    static std::string base64encode(const std::string& text);

  private:
    EncryptionTools() = default;

    std::uint32_t algorithm_ = 0;
    std::int32_t keySize_ = 16;
    std::int32_t blockSize_ = 16;
};
