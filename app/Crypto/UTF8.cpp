#include "app/Crypto/UTF8.h"

#include <simdjson.h>

bool isValidUTF8(const std::uint8_t* bytes, std::size_t length) {
    return simdjson::validate_utf8(reinterpret_cast<const char*>(bytes), length);
}
