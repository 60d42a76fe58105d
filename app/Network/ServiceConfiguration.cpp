#include "app/Network/ServiceConfiguration.h"

#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/JSON.h"
#include "platform/Foundation/Log.h"
#include "platform/Foundation/Paths.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <set>

namespace {

struct Setting {
    const char* key;
    const char* environment;
    std::string ServiceConfiguration::*member;
};

constexpr Setting settings[] = {
    {"baseURL1", "ORVEX_BASE_URL_1", &ServiceConfiguration::baseURL1},
    {"baseURL2", "ORVEX_BASE_URL_2", &ServiceConfiguration::baseURL2},
    {"dohURL", "ORVEX_DOH_URL", &ServiceConfiguration::dohURL},
    {"dohAddress", "ORVEX_DOH_ADDRESS", &ServiceConfiguration::dohAddress},
    {"caFile", "ORVEX_CA_FILE", &ServiceConfiguration::caFile},
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The built-in resolver for a service of the user's own that names none: a public
// provider's DNS-over-HTTPS endpoint, reached at its own addresses (IPv4 first) so that
// finding the resolver needs no unencrypted lookup.
constexpr const char* kPublicResolverURL = "https://dns.google/dns-query";
constexpr const char* kPublicResolverAddresses = "8.8.8.8,8.8.4.4,2001:4860:4860::8888,2001:4860:4860::8844";

std::optional<ServiceConfiguration>& installed() {
    static std::optional<ServiceConfiguration> configuration;
    return configuration;
}

} // namespace

std::vector<std::string> ServiceConfiguration::dohAddresses() const {
    std::vector<std::string> addresses;
    std::size_t start = 0;
    while (start <= dohAddress.size()) {
        const auto comma = dohAddress.find(',', start);
        const std::string address =
            trimmed(dohAddress.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!address.empty()) {
            addresses.push_back(address);
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return addresses;
}

std::filesystem::path ServiceConfiguration::file() {
    return Paths::dataRoot() / "service.json";
}

ServiceConfiguration ServiceConfiguration::load() {
    ServiceConfiguration configuration;
    std::set<std::string> given; // keys that the file or the environment set
    const auto path = file();
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        const auto text = readWholeFile(path);
        const JSON json = text ? JSON::parse(*text) : JSON::absent();
        if (json.type() != JSON::Type::dictionary) {
            consoleLog("Ignoring " + path.string() + ": not a JSON object");
        } else {
            for (const auto& setting : settings) {
                const JSON value = json[setting.key];
                if (!value.exists()) {
                    continue;
                }
                if (const auto string = value.string()) {
                    configuration.*setting.member = *string;
                    given.insert(setting.key);
                } else {
                    consoleLog("Ignoring \"" + std::string(setting.key) + "\" in " + path.string() +
                               ": not a text");
                }
            }
        }
    }
    for (const auto& setting : settings) {
        if (const char* value = std::getenv(setting.environment)) {
            configuration.*setting.member = value;
            given.insert(setting.key);
        }
    }
    const bool serviceGiven = given.count("baseURL1") != 0 || given.count("baseURL2") != 0;
    const bool urlGiven = given.count("dohURL") != 0;
    const bool addressGiven = given.count("dohAddress") != 0;
    if (serviceGiven && !urlGiven && !addressGiven) {
        // The development resolver knows only the development service's names.
        configuration.dohURL = kPublicResolverURL;
        configuration.dohAddress = kPublicResolverAddresses;
    } else if (urlGiven && !addressGiven) {
        // A resolver of the user's own is found by its name, not at the development address.
        configuration.dohAddress.clear();
    }
    // Kept all the same: falling back to the system store would trust other peers.
    if (!configuration.caFile.empty() && !std::ifstream(configuration.caFile).good()) {
        consoleLog("The certificate authority file " + configuration.caFile +
                   " cannot be read: HTTPS requests will fail");
    }
    return configuration;
}

const ServiceConfiguration& ServiceConfiguration::current() {
    auto& configuration = installed();
    if (!configuration) {
        configuration = load();
    }
    return *configuration;
}

void ServiceConfiguration::setCurrent(ServiceConfiguration configuration) {
    installed() = std::move(configuration);
}
