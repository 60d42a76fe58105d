#pragma once

#include <string>

// Why a request produced no usable response.
struct AFError {
    enum class Kind {
        invalidURL,               // the URL could not be parsed
        sessionTaskFailed,        // transport: name resolution, connection, TLS, timeout, ...
        explicitlyCancelled,      // the request was cancelled
        inputDataNilOrZeroLength, // an empty body with a status that must carry one
        responseValidationFailed, // a validated request answered outside 200-299
    };

    Kind kind = Kind::sessionTaskFailed;
    // The curl result code for transport failures, else 0.
    int transportCode = 0;
    // The HTTP status for validation failures, else 0.
    long statusCode = 0;
    std::string description;
};
