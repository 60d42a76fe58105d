#pragma once

#include "platform/Alamofire/AFError.h"
#include "platform/Alamofire/HTTPHeaders.h"
#include "platform/Alamofire/HTTPMethod.h"

#include <optional>
#include <string>
#include <variant>

// The HTTP part of a response that arrived.
struct HTTPURLResponse {
    std::string url; // after redirects
    long statusCode = 0;
    HTTPHeaders headers;
};

// Figures of one transfer.
struct TransferMetrics {
    // New connections this request had to open (0 when it reused one).
    long newConnections = 0;
    double totalSeconds = 0;
};

// The outcome of a data request as delivered to its response handler: the request's URL
// and method, the HTTP response when one arrived, and the result, which is the body on
// success and the error otherwise. The body is held once: by the result on success, by
// `data` when a body arrived but the response failed validation.
struct AFDataResponse {
    std::string requestURL;
    HTTPMethod method = HTTPMethod::get;
    std::optional<HTTPURLResponse> response;
    std::optional<std::string> data;
    std::variant<std::string, AFError> result;
    TransferMetrics metrics;

    bool isSuccess() const { return std::holds_alternative<std::string>(result); }
    const std::string* value() const { return std::get_if<std::string>(&result); }
    const AFError* error() const { return std::get_if<AFError>(&result); }
    // The body that arrived, whatever the result; null when none did (or an empty one
    // failed).
    const std::string* body() const { return isSuccess() ? value() : data ? &*data : nullptr; }
};
