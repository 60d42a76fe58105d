#include "app/Extensions/URLExtensions.h"

#include "platform/Foundation/PercentEncoding.h"

std::optional<std::map<std::string, std::string>> queryParameters(std::string_view url) {
    if (!isURLText(url)) {
        return std::nullopt;
    }
    const std::string_view beforeFragment = url.substr(0, url.find('#'));
    const std::size_t questionMark = beforeFragment.find('?');
    if (questionMark == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = beforeFragment.substr(questionMark + 1);
    std::map<std::string, std::string> parameters;
    if (query.empty()) {
        return parameters;
    }
    for (;;) {
        const std::size_t ampersand = query.find('&');
        const std::string_view item = query.substr(0, ampersand);
        const std::size_t equals = item.find('=');
        const auto name = percentDecoded(item.substr(0, equals));
        if (!name) {
            return std::nullopt;
        }
        if (equals == std::string_view::npos) {
            parameters.erase(*name);
        } else {
            const auto value = percentDecoded(item.substr(equals + 1));
            if (!value) {
                return std::nullopt;
            }
            parameters[*name] = *value;
        }
        if (ampersand == std::string_view::npos) {
            break;
        }
        query.remove_prefix(ampersand + 1);
    }
    return parameters;
}
