#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace devservice {

// The PEM files of the service's own test certificate authority and of the server
// certificate it signed.
struct TlsFiles {
    std::filesystem::path caCertificate; // what clients trust
    std::filesystem::path caKey;
    std::filesystem::path serverCertificate;
    std::filesystem::path serverKey;
};

// The names the server certificate carries: DNS names and one IP address.
struct ServerIdentity {
    std::vector<std::string> dnsNames;
    std::string ipAddress;
};

// Makes sure `folder` holds a usable authority and server certificate, creating them on
// first use (P-256 keys, SHA-256 signatures): the authority is kept for ten years and
// reused as long as its files load; the server certificate is issued again when it is
// missing, does not verify against the authority, expires within 30 days or names
// other hosts than `identity`. Keys are written readable by the owner only.
// Answers false with a reason in `error` when the files cannot be made.
bool ensureTlsFiles(const std::filesystem::path& folder, const ServerIdentity& identity, TlsFiles& files,
                    std::string& error);

} // namespace devservice
