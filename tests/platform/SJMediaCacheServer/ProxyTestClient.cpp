#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cctype>
#include <cstdio>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace proxytest {

namespace {

std::size_t collectBody(char* data, std::size_t size, std::size_t count, void* context) {
    static_cast<std::string*>(context)->append(data, size * count);
    return size * count;
}

std::size_t collectHeader(char* data, std::size_t size, std::size_t count, void* context) {
    auto* headers = static_cast<std::map<std::string, std::string>*>(context);
    std::string line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        headers->clear();
    }
    const auto colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        auto value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r\n") + 1);
        (*headers)[name] = value;
    }
    return size * count;
}

Response perform(CURL* curl, const std::string& url, const std::vector<std::string>& headers, bool head) {
    Response response;
    curl_slist* list = nullptr;
    for (const auto& header : headers) {
        list = curl_slist_append(list, header.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_NOBODY, head ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, head ? 0L : 1L);
    if (head) {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response.headers);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    const auto code = curl_easy_perform(curl);
    response.transportFailed = code != CURLE_OK;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &response.newConnections);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(list);
    return response;
}

} // namespace

Response get(const std::string& url, const std::vector<std::string>& headers, bool head) {
    CURL* curl = curl_easy_init();
    auto response = perform(curl, url, headers, head);
    curl_easy_cleanup(curl);
    return response;
}

Session::Session() : curl_(curl_easy_init()) {}

Session::~Session() {
    curl_easy_cleanup(static_cast<CURL*>(curl_));
}

Response Session::get(const std::string& url, const std::vector<std::string>& headers) {
    return perform(static_cast<CURL*>(curl_), url, headers, false);
}

int rawStatus(unsigned short port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[1024];
    while (reply.find("\r\n") == std::string::npos) {
        const auto n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (reply.rfind("HTTP/1.1 ", 0) != 0 || reply.size() < 12) {
        return 0;
    }
    return std::stoi(reply.substr(9, 3));
}

std::string runCommand(const std::string& command, bool& ok) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ok = false;
        return output;
    }
    std::array<char, 4096> buffer{};
    while (const auto n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        output.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return output;
}

std::string ffmpegFrameDigests(const std::string& url) {
    bool ok = false;
    auto output = runCommand("ffmpeg -hide_banner -loglevel error -nostdin -i '" + url +
                                 "' -map 0 -c copy -f framemd5 - 2>/dev/null",
                             ok);
    return ok ? output : std::string();
}

} // namespace proxytest
