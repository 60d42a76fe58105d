#pragma once

#include "platform/Foundation/NSError.h"

// Errors of web image loading: domain "SDWebImageErrorDomain" with these codes.
inline constexpr const char* SDWebImageErrorDomain = "SDWebImageErrorDomain";

enum SDWebImageError : int {
    SDWebImageErrorInvalidURL = 1000,                // the address is empty or not http(s)
    SDWebImageErrorBadImageData = 1001,              // the bytes are not an image we decode
    SDWebImageErrorInvalidDownloadOperation = 2000,  // the transfer failed (connection, TLS, timeout)
    SDWebImageErrorInvalidDownloadStatusCode = 2001, // the server answered outside 200-299
    SDWebImageErrorCancelled = 2002,
};

inline NSError makeWebImageError(SDWebImageError code) {
    return NSError{SDWebImageErrorDomain, code};
}
