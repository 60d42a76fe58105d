#pragma once

#include "app/Crypto/Bytes.h"

#include <string>

// A key or IV for the ciphers: the text's UTF-8 bytes cut or zero-filled to `size`
// bytes (a negative size counts as 0). No cipher takes more than 32 bytes, so sizes
// above 64 are cut to 64: the cipher refuses such a key all the same.
Bytes keyMaterial(const std::string& text, int size);

// An IV cut or zero-filled to `size` bytes, then zero-filled to at least one AES block,
// so that the cipher never reads past it whatever size the caller chose.
Bytes ivMaterial(const std::string& text, int size);
