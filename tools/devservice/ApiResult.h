#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace devservice {

// Result codes of the service's envelope.
namespace codes {
inline constexpr int success = 20000;
inline constexpr int badParameter = 40001;
inline constexpr int badSignature = 40002;
inline constexpr int loginRequired = 40003;
inline constexpr int notFound = 40004;
inline constexpr int accountRefused = 40010;
inline constexpr int codeRefused = 40011;
inline constexpr int captchaRefused = 40012;
inline constexpr int unknownPath = 40400;
inline constexpr int wrongMethod = 40500;
inline constexpr int loginExpired = 70001; // 70001 to 79999: the login is no longer valid
inline constexpr int loginInvalid = 70002;
} // namespace codes

// What one API call answers: a code with its message and, on success, the payload that
// goes encrypted into "data" (none: "data" is the empty text).
struct ApiResult {
    int code = codes::success;
    std::string message = "success";
    std::optional<nlohmann::ordered_json> data;

    static ApiResult success(nlohmann::ordered_json payload) {
        return {codes::success, "success", std::move(payload)};
    }
    static ApiResult successWithoutData() { return {codes::success, "success", std::nullopt}; }
    static ApiResult failure(int code, std::string message) {
        return {code, std::move(message), std::nullopt};
    }
    bool succeeded() const { return code == codes::success; }
};

} // namespace devservice
