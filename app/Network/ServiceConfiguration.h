#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Where the service lives and how to reach it: the two base URLs of the API, the
// DNS-over-HTTPS resolver (its URL and the address or addresses of its own host) and the
// certificate authority file that peers are verified against (empty: the system store).
//
// Read from "<data root>/service.json" (a JSON object with the optional keys "baseURL1",
// "baseURL2", "dohURL", "dohAddress", "caFile"); the environment variables
// ORVEX_BASE_URL_1, ORVEX_BASE_URL_2, ORVEX_DOH_URL, ORVEX_DOH_ADDRESS and ORVEX_CA_FILE
// override the file; what neither gives keeps its default (the development service and
// its resolver). A service given without a resolver is reached through a built-in public
// DNS-over-HTTPS resolver at its pinned addresses; a resolver URL given without addresses
// is found by its name.
struct ServiceConfiguration {
    std::string baseURL1 = "https://api.orvex.test:8083/";
    std::string baseURL2 = "https://api.orvex.test:9312/";
    std::string dohURL = "https://dns.orvex.test:8083/dns-query";
    // One address, or several separated by commas (IPv4 or IPv6).
    std::string dohAddress = "127.0.0.1";
    std::string caFile;

    std::vector<std::string> dohAddresses() const;

    static std::filesystem::path file();
    // Reads the file and the environment now. A file that is not a JSON object, or a key
    // whose value is not a text, is reported on the console and left out; a certificate
    // authority file that cannot be read is reported and kept (requests then fail).
    static ServiceConfiguration load();

    // The configuration in force for the process: loaded on first use.
    static const ServiceConfiguration& current();
    // Replaces it (tools and tests that start their own service).
    static void setCurrent(ServiceConfiguration configuration);
};
