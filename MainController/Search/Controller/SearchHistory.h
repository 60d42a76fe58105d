#pragma once

#include "platform/Foundation/UserDefaults.h"

#include <optional>
#include <string>
#include <vector>

// The search history kept in the user default "history": an array of texts, the most
// recent search first, each text at most once, without limit.
namespace SearchHistory {

inline constexpr const char* key = "history";

// The stored texts in stored order; nothing when the value is absent or not an array of
// texts.
std::optional<std::vector<std::string>> entries(const UserDefaults& defaults);

// Puts `keyword` first, dropping the entries equal to it, and stores the result (a value
// of another kind is replaced); answers what was stored.
std::vector<std::string> record(UserDefaults& defaults, const std::string& keyword);

} // namespace SearchHistory
