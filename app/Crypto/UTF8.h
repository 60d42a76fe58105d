#pragma once

#include <cstddef>
#include <cstdint>

// Whether the bytes are well-formed UTF-8: no stray continuation bytes, no over-long
// forms, no surrogates, nothing above U+10FFFF. Zero bytes are allowed. Validation
// runs many bytes at a time (simdjson), as payloads reach a megabyte.
bool isValidUTF8(const std::uint8_t* bytes, std::size_t length);
