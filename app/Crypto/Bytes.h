#pragma once

#include <cstdint>
#include <vector>

// A byte buffer: the data of the cipher and Base64 classes.
using Bytes = std::vector<std::uint8_t>;
