#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

// The query of a URL as a map of percent-decoded names to values, applied in order: a
// "name=value" item sets the name (a later one replaces an earlier one), a bare "name"
// without "=" removes it. Nothing when the text is not a URL (empty, blanks or control
// characters, a broken percent escape) or has no query; an empty map for a query without
// items. The fragment is not part of the query.
std::optional<std::map<std::string, std::string>> queryParameters(std::string_view url);
