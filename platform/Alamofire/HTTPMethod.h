#pragma once

#include <string_view>

enum class HTTPMethod { get, post };

constexpr std::string_view rawValue(HTTPMethod method) {
    return method == HTTPMethod::get ? "GET" : "POST";
}
