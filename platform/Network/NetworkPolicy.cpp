#include "platform/Network/NetworkPolicy.h"

#include "platform/Network/ProcessNameLookup.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

namespace NetworkPolicy {
namespace {

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

struct Settings {
    std::mutex mutex;
    std::filesystem::path caFile;
    std::optional<NWParameters::PrivacyContext::ResolverConfiguration> resolver;
    // The resolve entries of the current resolver. curl does not copy a resolve list and
    // reads it when a transfer starts, so every list handed out stays alive for the
    // process (the settings change a handful of times at most).
    curl_slist* resolveEntries = nullptr;
    std::vector<Slist> retainedLists;
    std::uint64_t generation = 0;
};

// Lives for the process: transfers and lookups may run on other threads while the
// process ends.
Settings& settings() {
    static auto* instance = new Settings;
    return *instance;
}

// Connections go straight to their peers, whatever proxy the environment names: reaching
// a proxy by its name would need a lookup through the very resolver whose queries the
// proxy carries.
void connectDirectly(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
}

std::string bracketed(const std::string& address) {
    return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

// "host:port:addr1,addr2" per port of the resolver's configured addresses.
Slist makeResolveEntries(const NWParameters::PrivacyContext::ResolverConfiguration& resolver) {
    std::map<int, std::string> addressesByPort;
    for (const auto& endpoint : resolver.serverAddresses()) {
        auto& addresses = addressesByPort[endpoint.port];
        if (!addresses.empty()) {
            addresses += ',';
        }
        addresses += bracketed(endpoint.host);
    }
    curl_slist* list = nullptr;
    for (const auto& [port, addresses] : addressesByPort) {
        const std::string entry = resolver.urlHost() + ":" + std::to_string(port) + ":" + addresses;
        curl_slist* extended = curl_slist_append(list, entry.c_str());
        if (extended == nullptr) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = extended;
    }
    return Slist(list);
}

} // namespace

void setCertificateAuthorityFile(const std::filesystem::path& file) {
    std::lock_guard lock(settings().mutex);
    settings().caFile = file;
}

std::filesystem::path certificateAuthorityFile() {
    std::lock_guard lock(settings().mutex);
    return settings().caFile;
}

void setEncryptedResolver(std::optional<NWParameters::PrivacyContext::ResolverConfiguration> resolver) {
    ProcessNameLookup::prepare();
    auto& state = settings();
    std::lock_guard lock(state.mutex);
    state.resolver = std::move(resolver);
    state.resolveEntries = nullptr;
    ++state.generation;
    if (state.resolver) {
        Slist entries = makeResolveEntries(*state.resolver);
        state.resolveEntries = entries.get();
        if (entries) {
            state.retainedLists.push_back(std::move(entries));
        }
    }
}

std::optional<NWParameters::PrivacyContext::ResolverConfiguration> encryptedResolver() {
    std::lock_guard lock(settings().mutex);
    return settings().resolver;
}

namespace {

// The system's certificate bundle as libcurl names it, when that file exists. libcurl
// keeps the store it builds per multi handle for the next connections only when the
// store comes from a file alone: with its default certificate folder as well, every new
// connection reads the whole bundle again (some 20 ms of the handshake). The folder
// holds the authorities of the bundle (update-ca-certificates makes both from one list),
// so naming the bundle alone trusts the same peers.
// The name is libcurl's own text, which stays valid while other threads use it at exit.
const char* systemBundle() {
    static const char* const bundle = []() -> const char* {
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        std::error_code error;
        return info->cainfo != nullptr && std::filesystem::is_regular_file(info->cainfo, error) ? info->cainfo
                                                                                                : nullptr;
    }();
    return bundle;
}

void applyVerification(const Settings& state, CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_DOH_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_DOH_SSL_VERIFYHOST, 2L);
    // A configured file replaces the system store (file and folder) entirely. Resolver
    // requests inherit the transfer's CA settings, so one file serves both peers.
    if (!state.caFile.empty()) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, state.caFile.c_str());
        curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
    } else if (const char* bundle = systemBundle()) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, bundle);
        curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
    }
}

} // namespace

void applyTo(CURL* handle) {
    connectDirectly(handle);
    // A transfer ended while the system still looks its host up (cancelled, timed out)
    // leaves that lookup's thread to finish on its own: the thread that ends it never
    // waits for a slow system resolver.
    curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L);
    auto& state = settings();
    std::lock_guard lock(state.mutex);
    applyVerification(state, handle);
    if (state.resolver) {
        curl_easy_setopt(handle, CURLOPT_DOH_URL, state.resolver->url().c_str());
        curl_easy_setopt(handle, CURLOPT_RESOLVE, state.resolveEntries);
    } else {
        curl_easy_setopt(handle, CURLOPT_DOH_URL, nullptr);
        curl_easy_setopt(handle, CURLOPT_RESOLVE, nullptr);
    }
}

bool applyToResolverQuery(CURL* handle) {
    auto& state = settings();
    std::lock_guard lock(state.mutex);
    if (!state.resolver) {
        return false;
    }
    connectDirectly(handle);
    applyVerification(state, handle);
    curl_easy_setopt(handle, CURLOPT_URL, state.resolver->url().c_str());
    curl_easy_setopt(handle, CURLOPT_DOH_URL, nullptr);
    curl_easy_setopt(handle, CURLOPT_RESOLVE, state.resolveEntries);
    return true;
}

std::uint64_t resolverGeneration() {
    std::lock_guard lock(settings().mutex);
    return settings().generation;
}

std::function<void(CURL*)> configurator() {
    return [](CURL* handle) { applyTo(handle); };
}

std::string resolutionFailureHint(const std::string& host) {
    std::lock_guard lock(settings().mutex);
    if (!settings().resolver) {
        return {};
    }
    const auto& caFile = settings().caFile;
    return "Could not resolve " + host + " through the encrypted resolver " + settings().resolver->url() +
           " (the resolver may be unreachable, may not know the name, or its certificate may not verify "
           "against " +
           (caFile.empty() ? std::string("the system store") : caFile.string()) + ")";
}

} // namespace NetworkPolicy
