#include "platform/WebKit/TunnelUpstream.h"

#include "platform/Network/NetworkPolicy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool digit(char c) {
    return c >= '0' && c <= '9';
}
bool hexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool nameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.';
}

constexpr long kConnectTimeoutMs = 30000;

int giveUpWhenStopping(void* stopping, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(stopping)->load() ? 1 : 0;
}

std::string hostOf(const std::string& authority) {
    if (!authority.empty() && authority.front() == '[') {
        return authority.substr(1, authority.find(']') - 1);
    }
    return authority.substr(0, authority.rfind(':'));
}

} // namespace

bool isTunnelAuthority(const std::string& authority) {
    const auto colon = authority.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    const std::string port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), digit) ||
        std::atoi(port.c_str()) < 1 || std::atoi(port.c_str()) > 65535) {
        return false;
    }
    const std::string host = authority.substr(0, colon);
    if (host.front() == '[') {
        return host.size() > 2 && host.back() == ']' &&
               std::all_of(host.begin() + 1, host.end() - 1,
                           [](char c) { return hexDigit(c) || c == ':' || c == '.'; });
    }
    return host.size() <= 253 && host.front() != '.' && host.front() != '-' &&
           std::all_of(host.begin(), host.end(), nameCharacter);
}

std::unique_ptr<TunnelUpstream> TunnelUpstream::open(const std::string& authority,
                                                     const std::atomic<bool>& stopping, std::string& error) {
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        error = "curl is not available";
        return nullptr;
    }
    char detail[CURL_ERROR_SIZE] = "";
    NetworkPolicy::applyTo(handle);
    curl_easy_setopt(handle, CURLOPT_URL, ("https://" + authority + "/").c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECT_ONLY, 1L);
    // The engine speaks HTTP/1.1 through the tunnel: the peer must not choose HTTP/2.
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, giveUpWhenStopping);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &stopping);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail);
    const CURLcode result = curl_easy_perform(handle);
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (result == CURLE_OK && curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
        socket != CURL_SOCKET_BAD) {
        return std::unique_ptr<TunnelUpstream>(new TunnelUpstream(handle, socket));
    }
    error = *detail != '\0' ? detail : curl_easy_strerror(result);
    if (result == CURLE_COULDNT_RESOLVE_HOST) {
        if (const std::string hint = NetworkPolicy::resolutionFailureHint(hostOf(authority)); !hint.empty()) {
            error += " (" + hint + ")";
        }
    }
    curl_easy_cleanup(handle);
    return nullptr;
}

TunnelUpstream::~TunnelUpstream() {
    curl_easy_cleanup(static_cast<CURL*>(handle_));
}

ssize_t TunnelUpstream::receive(char* buffer, std::size_t size) {
    std::size_t received = 0;
    const CURLcode result = curl_easy_recv(static_cast<CURL*>(handle_), buffer, size, &received);
    if (result == CURLE_AGAIN) {
        return kWouldBlock;
    }
    if (result != CURLE_OK) {
        return kFailed;
    }
    return static_cast<ssize_t>(received);
}

ssize_t TunnelUpstream::send(const char* data, std::size_t size) {
    std::size_t sent = 0;
    const CURLcode result = curl_easy_send(static_cast<CURL*>(handle_), data, size, &sent);
    if (result == CURLE_AGAIN) {
        return kWouldBlock;
    }
    if (result != CURLE_OK || sent == 0) {
        return kFailed;
    }
    return static_cast<ssize_t>(sent);
}
