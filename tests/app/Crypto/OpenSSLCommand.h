#pragma once

#include <optional>
#include <string>

namespace cryptotest {

// Runs the `openssl` command with `arguments`, feeding it `input` and answering what it
// wrote; nothing when it fails. Gives expected values made independently of our code.
std::optional<std::string> runOpenSSL(const std::string& arguments, const std::string& input);

// Lower-case hexadecimal of the bytes of a text, and the text of hexadecimal.
std::string hexOf(const std::string& bytes);
std::string unhex(const std::string& hex);

} // namespace cryptotest
