#pragma once

#include "platform/SJMediaCacheServer/CacheTypes.h"

#include <optional>
#include <string>

namespace mcs {

// Whether every field may go into a request as given: names are HTTP tokens, values
// hold no CR, LF or NUL (which would let a value add header lines of its own).
bool validHeaderFields(const HeaderFields& fields);

// One "name:value" line per field, for the database; and back (nothing when the text
// was not made by serializeHeaderFields).
std::string serializeHeaderFields(const HeaderFields& fields);
std::optional<HeaderFields> parseHeaderFields(const std::string& text);

} // namespace mcs
