#include "platform/Alamofire/HTTPHeaders.h"

#include <algorithm>
#include <strings.h>

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

HTTPHeaders::HTTPHeaders(std::initializer_list<HTTPHeader> headers) {
    for (const auto& header : headers) {
        add(header.name, header.value);
    }
}

void HTTPHeaders::add(const std::string& name, const std::string& value) {
    for (auto& header : headers_) {
        if (sameName(header.name, name)) {
            header.value = value;
            return;
        }
    }
    headers_.push_back({name, value});
}

void HTTPHeaders::remove(const std::string& name) {
    std::erase_if(headers_, [&](const HTTPHeader& header) { return sameName(header.name, name); });
}

std::optional<std::string> HTTPHeaders::value(const std::string& name) const {
    for (const auto& header : headers_) {
        if (sameName(header.name, name)) {
            return header.value;
        }
    }
    return std::nullopt;
}
