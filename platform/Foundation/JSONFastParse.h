#pragma once

#include "platform/Foundation/JSON.h"

#include <optional>
#include <string_view>

// Parses JSON text with simdjson and builds exactly the value nlohmann's parser builds:
// keys in text order, a repeated key keeping its first place and taking its last value,
// integers without a sign unsigned, others signed, the rest double ("-0" alone comes
// out unsigned, a zero equal to nlohmann's signed one). Nothing when
// simdjson refuses the text (invalid text, but also integers beyond 64 bits or nesting
// deeper than 1024), so that the caller lets nlohmann decide those: the language
// accepted stays nlohmann's. Thread-safe (one simdjson parser per thread).
std::optional<JSON::Storage> parseJSONQuickly(std::string_view text);
