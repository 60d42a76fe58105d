#include "platform/Network/NWParameters.h"

#include "platform/Network/NetworkPolicy.h"

#include <curl/curl.h>

#include <memory>

namespace {

struct URLPartDeleter {
    void operator()(char* part) const { curl_free(part); }
};

std::optional<std::string> urlPart(CURLU* url, CURLUPart which, unsigned flags = 0) {
    char* raw = nullptr;
    if (curl_url_get(url, which, &raw, flags) != CURLUE_OK || raw == nullptr) {
        return std::nullopt;
    }
    std::unique_ptr<char, URLPartDeleter> part(raw);
    return std::string(part.get());
}

} // namespace

std::optional<NWParameters::PrivacyContext::ResolverConfiguration>
NWParameters::PrivacyContext::ResolverConfiguration::https(const std::string& url,
                                                           std::vector<NWEndpoint> serverAddresses) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    const auto scheme = urlPart(parsed.get(), CURLUPART_SCHEME);
    const auto host = urlPart(parsed.get(), CURLUPART_HOST);
    const auto port = urlPart(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!scheme || *scheme != "https" || !host || host->empty() || !port) {
        return std::nullopt;
    }
    ResolverConfiguration configuration;
    configuration.url_ = url;
    configuration.urlHost_ = *host;
    configuration.urlPort_ = std::stoi(*port);
    configuration.serverAddresses_ = std::move(serverAddresses);
    return configuration;
}

NWParameters::PrivacyContext& NWParameters::PrivacyContext::defaultContext() {
    static PrivacyContext context;
    return context;
}

void NWParameters::PrivacyContext::requireEncryptedNameResolution(
    bool required, std::optional<ResolverConfiguration> fallbackResolver) {
    NetworkPolicy::setEncryptedResolver(required ? std::move(fallbackResolver) : std::nullopt);
}
