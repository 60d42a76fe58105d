#pragma once

#include <string>

// The checks the accounts forms make before they send anything. Each shows its error tip
// and answers false when the form may not be sent.
namespace loginchecks {

// "请先输入正确的手机号" unless `number` is a mobile number.
bool phoneNumber(const std::string& number);
// `message` when `text` is empty (no trimming: spaces are text).
bool filled(const std::string& text, const char* message);

} // namespace loginchecks
