// A process of its own for the name lookup tests, whose environment they choose.
//
//   name_lookup_child look-up-and-request RESOLVER_PORT CA_FILE
//     With the development service's resolver (on 127.0.0.1:RESOLVER_PORT) required,
//     looks the media host up through the process's getaddrinfo and asks the service for
//     a picture as the API's requests are made (a curl handle under the network policy).
//     Prints "lookup <getaddrinfo's error> <first address>" and
//     "request <curl's result> <HTTP status>".
//   name_lookup_child exit-while-in-use CA_FILE
//     Sets the CA file and ends the process (static destructors and all) while threads
//     keep configuring transfers and looking names up, as the engines' threads may while
//     the application quits.

#include "platform/Network/NWParameters.h"
#include "platform/Network/NetworkPolicy.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::size_t discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

int lookUpAndRequest(int resolverPort, const std::string& caFile) {
    NetworkPolicy::setCertificateAuthorityFile(caFile);
    const std::string port = std::to_string(resolverPort);
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
        true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                  "https://dns.orvex.test:" + port + "/dns-query",
                  {NWEndpoint::hostPort("127.0.0.1", resolverPort)}));

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int error = getaddrinfo("media.orvex.test", "443", &hints, &list);
    char address[INET_ADDRSTRLEN] = "-";
    if (error == 0) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr, address,
                  sizeof address);
        freeaddrinfo(list);
    }
    std::printf("lookup %d %s\n", error, address);
    std::fflush(stdout);

    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* handle = curl_easy_init();
    const std::string url = "https://api.orvex.test:" + port + "/images/poster/1001.png";
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discard);
    NetworkPolicy::applyTo(handle);
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    std::printf("request %d %ld\n", static_cast<int>(result), status);
    return 0;
}

int exitWhileInUse(const std::string& caFile) {
    // Registered before the settings are first used, this runs after anything destroyed
    // at exit that they made: the threads get a moment to meet such a destroyed state.
    std::atexit([] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    NetworkPolicy::setCertificateAuthorityFile(caFile);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    for (int i = 0; i < 4; ++i) {
        std::thread([] {
            CURL* handle = curl_easy_init();
            addrinfo hints{};
            hints.ai_family = AF_INET;
            while (true) {
                NetworkPolicy::applyTo(handle);
                addrinfo* list = nullptr;
                if (getaddrinfo("localhost", "80", &hints, &list) == 0) {
                    freeaddrinfo(list);
                }
            }
        }).detach();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "look-up-and-request" && argc == 4) {
        return lookUpAndRequest(std::atoi(argv[2]), argv[3]);
    }
    if (mode == "exit-while-in-use" && argc == 3) {
        return exitWhileInUse(argv[2]);
    }
    std::fprintf(stderr,
                 "usage: name_lookup_child look-up-and-request PORT CA_FILE | exit-while-in-use CA_FILE\n");
    return 2;
}
