// The process's own getaddrinfo and getnameinfo, which the playback engines and their
// libraries call: while a resolver is required, names go only to it, with the policy of
// the API's requests. The development service's resolver is the only one that knows its
// names ("media.orvex.test"); it counts the queries it answers.

#include "platform/Network/NWParameters.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/Network/ProcessNameLookup.h"
#include "tests/platform/Network/SuiteService.h"
#include "tests/support/ConsoleCapture.h"
#include "tests/support/WatchedChild.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <dlfcn.h>
#include <netdb.h>
#include <strings.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

using ResolverConfiguration = NWParameters::PrivacyContext::ResolverConfiguration;

constexpr const char* kMediaHost = "media.orvex.test";

struct Entry {
    int family = 0;
    int socketType = 0;
    std::string address;
    int port = 0;
};

struct Result {
    int error = 0;
    std::vector<Entry> entries;
    std::string canonicalName;
};

Result lookUp(const char* node, const char* service, int family = AF_UNSPEC, int socketType = SOCK_STREAM,
              int flags = 0) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = socketType;
    hints.ai_flags = flags;
    addrinfo* list = nullptr;
    Result result;
    result.error = getaddrinfo(node, service, &hints, &list);
    if (result.error != 0) {
        return result;
    }
    if (list->ai_canonname != nullptr) {
        result.canonicalName = list->ai_canonname;
    }
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        int port = 0;
        if (entry->ai_family == AF_INET) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
            port = ntohs(in->sin_port);
        } else {
            const auto* in = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
            inet_ntop(AF_INET6, &in->sin6_addr, text, sizeof text);
            port = ntohs(in->sin6_port);
        }
        result.entries.push_back({entry->ai_family, entry->ai_socktype, text, port});
    }
    freeaddrinfo(list);
    return result;
}

// What the system's own resolver says, past this process's entry.
int systemLookUp(const char* node) {
    using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    const auto system = reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
    addrinfo* list = nullptr;
    const int error = system(node, nullptr, nullptr, &list);
    if (error == 0) {
        freeaddrinfo(list);
    }
    return error;
}

// The system's resolver as these tests have it: it also knows the resolver's own name
// (the real one does not), and counts how often it was asked for it.
std::atomic<int> systemAskedForTheResolver{0};

int systemThatKnowsTheResolver(const char* node, const char* service, const addrinfo* hints,
                               addrinfo** result) {
    if (node == nullptr || strcasecmp(node, "dns.orvex.test") != 0) {
        using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
        return reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"))(node, service, hints, result);
    }
    ++systemAskedForTheResolver;
    addrinfo numeric = hints != nullptr ? *hints : addrinfo{};
    numeric.ai_flags |= AI_NUMERICHOST;
    return getaddrinfo("127.0.0.1", service, &numeric, result);
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

class ProcessNameLookupTest : public SuiteServiceTest<ProcessNameLookupTest> {
  protected:
    void SetUp() override {
        NetworkPolicy::setCertificateAuthorityFile(service_->caFile());
        useServiceResolver();
    }
    void TearDown() override {
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
        NetworkPolicy::setCertificateAuthorityFile({});
        ProcessNameLookup::replaceSystemLookupForTesting(nullptr);
    }
};

} // namespace

TEST_F(ProcessNameLookupTest, TheServiceNamesAreFoundOnlyThroughTheResolver) {
    ASSERT_TRUE(ProcessNameLookup::isInstalled()) << "the executable does not export its getaddrinfo";
    EXPECT_NE(systemLookUp(kMediaHost), 0) << "the system resolver must not know the media host";
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
    EXPECT_NE(lookUp(kMediaHost, "443").error, 0) << "without the resolver the name is unknown";
    EXPECT_EQ(service().resolverQueries(kMediaHost), 0u);

    useServiceResolver();
    Result found = lookUp("Media.Orvex.Test.", "8083", AF_UNSPEC, SOCK_STREAM, AI_CANONNAME);
    ASSERT_EQ(found.error, 0) << gai_strerror(found.error);
    ASSERT_EQ(found.entries.size(), 1u) << "the service's names have no IPv6 address";
    EXPECT_EQ(found.entries[0].family, AF_INET);
    EXPECT_EQ(found.entries[0].address, "127.0.0.1");
    EXPECT_EQ(found.entries[0].port, 8083);
    EXPECT_EQ(found.entries[0].socketType, SOCK_STREAM);
    EXPECT_EQ(found.canonicalName, kMediaHost);
    const std::size_t asked = service().resolverQueries(kMediaHost);
    EXPECT_EQ(asked, 2u) << "one A and one AAAA query";

    // The address answer is kept for its TTL; a changed resolver forgets it.
    EXPECT_EQ(lookUp(kMediaHost, "https", AF_INET).entries.at(0).port, 443);
    EXPECT_EQ(service().resolverQueries(kMediaHost), asked);
    useServiceResolver();
    ASSERT_EQ(lookUp(kMediaHost, nullptr, AF_INET).error, 0);
    EXPECT_EQ(service().resolverQueries(kMediaHost), asked + 1);

    // A name the resolver does not know does not exist, whatever the system knows.
    EXPECT_EQ(lookUp("nowhere.example", "443").error, EAI_NONAME);
    EXPECT_GT(service().resolverQueries("nowhere.example"), 0u);
    EXPECT_EQ(lookUp("runsc", "443").error, EAI_NONAME);

    // IPv6 callers that take mapped addresses get the IPv4 address mapped.
    found = lookUp(kMediaHost, "443", AF_INET6, SOCK_STREAM, AI_V4MAPPED);
    ASSERT_EQ(found.error, 0) << gai_strerror(found.error);
    EXPECT_EQ(found.entries.at(0).address, "::ffff:127.0.0.1");
    EXPECT_NE(lookUp(kMediaHost, "443", AF_INET6).error, 0);
}

TEST_F(ProcessNameLookupTest, LiteralsLoopbackAndTheResolversOwnNameNeedNoQuery) {
    const std::size_t before = queriesSent();
    Result found = lookUp("127.0.0.1", "80");
    ASSERT_EQ(found.error, 0);
    EXPECT_EQ(found.entries.at(0).address, "127.0.0.1");
    found = lookUp("::1", "80");
    ASSERT_EQ(found.error, 0);
    EXPECT_EQ(found.entries.at(0).address, "::1");
    found = lookUp("localhost", "80", AF_INET);
    ASSERT_EQ(found.error, 0);
    EXPECT_EQ(found.entries.at(0).address, "127.0.0.1");
    found = lookUp("player.localhost", "80", AF_INET6);
    ASSERT_EQ(found.error, 0);
    EXPECT_EQ(found.entries.at(0).address, "::1");
    // The resolver's own name is its pinned address.
    found = lookUp("dns.orvex.test", "443");
    ASSERT_EQ(found.error, 0);
    EXPECT_EQ(found.entries.at(0).address, "127.0.0.1");
    // Every socket type for a lookup without one, as the C library gives them.
    found = lookUp("localhost", "80", AF_INET, 0);
    ASSERT_EQ(found.error, 0);
    EXPECT_GE(found.entries.size(), 2u);
    EXPECT_EQ(lookUp("localhost", "no-such-service", AF_INET).error, EAI_SERVICE);
    EXPECT_EQ(queriesSent(), before);

    // Addresses are never turned back into names.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char host[NI_MAXHOST] = {};
    ASSERT_EQ(
        getnameinfo(reinterpret_cast<sockaddr*>(&address), sizeof address, host, sizeof host, nullptr, 0, 0),
        0);
    EXPECT_STREQ(host, "127.0.0.1");
    EXPECT_EQ(getnameinfo(reinterpret_cast<sockaddr*>(&address), sizeof address, host, sizeof host, nullptr,
                          0, NI_NAMEREQD),
              EAI_NONAME);
}

TEST_F(ProcessNameLookupTest, AnUnreachableResolverIsATemporaryFailureThatSaysWhy) {
    useServiceResolver(1);
    testsupport::ConsoleCapture console;
    EXPECT_EQ(lookUp(kMediaHost, "443").error, EAI_AGAIN);
    const auto lines = console.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("Could not resolve media.orvex.test through the encrypted resolver") !=
               std::string::npos;
    }));
}

TEST_F(ProcessNameLookupTest, ThreadsLookUpAtTheSameTime) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 10; ++i) {
                const std::string name = "host" + std::to_string(t * 10 + i) + ".orvex.test";
                const Result found = lookUp(name.c_str(), "443");
                if (found.error != 0 || found.entries.empty() || found.entries[0].address != "127.0.0.1") {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(service().resolverQueries("host79.orvex.test"), 2u);
}

TEST_F(ProcessNameLookupTest, AResolverGivenWithoutAddressesIsFoundByTheSystem) {
    EXPECT_NE(systemLookUp("dns.orvex.test"), 0) << "only the test's system may know the resolver's name";
    ProcessNameLookup::replaceSystemLookupForTesting(&systemThatKnowsTheResolver);
    const std::string port = std::to_string(service().port1());
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
        true, ResolverConfiguration::https("https://dns.orvex.test:" + port + "/dns-query", {}));

    // The engines' lookups: the resolver's name by the system, every other through it.
    const Result found = lookUp("Dns.Orvex.Test", "443", AF_INET);
    ASSERT_EQ(found.error, 0) << gai_strerror(found.error);
    EXPECT_EQ(found.entries.at(0).address, "127.0.0.1");
    const Result media = lookUp(kMediaHost, "443", AF_INET);
    ASSERT_EQ(media.error, 0) << gai_strerror(media.error);
    EXPECT_EQ(media.entries.at(0).address, "127.0.0.1");
    EXPECT_GT(service().resolverQueries(kMediaHost), 0u);

    // A request made as the API's are: curl finds the resolver through the process's
    // lookup, and the service's name through the resolver.
    const std::size_t apiQueries = service().resolverQueries("api.orvex.test");
    CURL* handle = curl_easy_init();
    const std::string url = "https://api.orvex.test:" + port + "/images/poster/1001.png";
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discard);
    NetworkPolicy::applyTo(handle);
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    EXPECT_EQ(result, CURLE_OK) << curl_easy_strerror(result);
    EXPECT_EQ(status, 200);
    EXPECT_GT(service().resolverQueries("api.orvex.test"), apiQueries);
    EXPECT_GE(systemAskedForTheResolver.load(), 2);
}

// A proxy named in the environment, as corporate desktops set one, in a process that did
// not go through the application's entry (which drops such variables): the resolver's
// queries never go through it, so no lookup needs itself. The request ends too, whatever
// its outcome: curl's own queries to the resolver take the environment's proxy, which
// here nobody drops, and fail at once on its unknown name.
TEST_F(ProcessNameLookupTest, BehindAProxyNamedInTheEnvironmentLookupsAndRequestsEndPromptly) {
    const auto child = testsupport::runWatchedChild(
        {ORVEX_NAME_LOOKUP_CHILD, "look-up-and-request", std::to_string(service().port1()),
         service().caFile().string()},
        {"https_proxy=http://proxy.invalid:3128", "HTTPS_PROXY=http://proxy.invalid:3128",
         "http_proxy=http://proxy.invalid:3128", "all_proxy=http://proxy.invalid:3128"},
        100, 60);
    EXPECT_TRUE(child.exitedCleanly())
        << child.startError << "\nthreads at most: " << child.mostThreads << "\n"
        << child.output;
    EXPECT_LT(child.mostThreads, 100u);
    EXPECT_NE(child.output.find("lookup 0 127.0.0.1\n"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("request "), std::string::npos) << child.output;
}

// Engines and transfers may still configure handles and look names up on their threads
// while the process ends; the settings they read are still there. (The fault shows as a
// use after free under AddressSanitizer.)
TEST_F(ProcessNameLookupTest, TheSettingsOutliveTheEndOfTheProcess) {
    const auto child = testsupport::runWatchedChild(
        {ORVEX_NAME_LOOKUP_CHILD, "exit-while-in-use", service().caFile().string()}, {}, 100, 60);
    EXPECT_TRUE(child.exitedCleanly()) << child.startError << "\nwait status " << child.waitStatus << "\n"
                                       << child.output;
}
