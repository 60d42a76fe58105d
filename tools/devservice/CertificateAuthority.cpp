#include "tools/devservice/CertificateAuthority.h"

#include "platform/Foundation/AtomicFile.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <memory>
#include <sys/stat.h>

namespace devservice {
namespace {

struct Deleter {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(X509* p) const { X509_free(p); }
    void operator()(BIO* p) const { BIO_free(p); }
    void operator()(X509_STORE* p) const { X509_STORE_free(p); }
    void operator()(X509_STORE_CTX* p) const { X509_STORE_CTX_free(p); }
    void operator()(GENERAL_NAMES* p) const { GENERAL_NAMES_free(p); }
};
template <typename T> using Owned = std::unique_ptr<T, Deleter>;

constexpr long kDay = 24 * 60 * 60;
constexpr long kAuthorityLifetime = 3650 * kDay;
constexpr long kServerLifetime = 825 * kDay;
constexpr long kRenewalMargin = 30 * kDay;

std::string openSslError(const std::string& what) {
    const unsigned long code = ERR_get_error();
    char text[256] = "unknown error";
    if (code != 0) {
        ERR_error_string_n(code, text, sizeof text);
    }
    ERR_clear_error();
    return what + ": " + text;
}

Owned<EVP_PKEY> makeKey() {
    return Owned<EVP_PKEY>(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
}

template <typename T, typename Reader> Owned<T> readPem(const std::filesystem::path& path, Reader reader) {
    const auto text = readWholeFile(path);
    if (!text) {
        return nullptr;
    }
    Owned<BIO> bio(BIO_new_mem_buf(text->data(), static_cast<int>(text->size())));
    return Owned<T>(bio ? reader(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

template <typename Writer> std::string writePem(Writer writer) {
    Owned<BIO> bio(BIO_new(BIO_s_mem()));
    if (!bio || writer(bio.get()) != 1) {
        return {};
    }
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

bool saveKey(const std::filesystem::path& path, EVP_PKEY* key) {
    const std::string pem = writePem([key](BIO* bio) {
        return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    });
    if (pem.empty() || !writeFileAtomically(path, pem)) {
        return false;
    }
    return ::chmod(path.c_str(), 0600) == 0;
}

bool saveCertificate(const std::filesystem::path& path, X509* certificate) {
    const std::string pem =
        writePem([certificate](BIO* bio) { return PEM_write_bio_X509(bio, certificate); });
    return !pem.empty() && writeFileAtomically(path, pem);
}

bool addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool setRandomSerial(X509* certificate) {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        return false;
    }
    bytes[0] &= 0x7F; // a positive serial number
    BIGNUM* number = BN_bin2bn(bytes, sizeof bytes, nullptr);
    const bool set =
        number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate)) != nullptr;
    BN_free(number);
    return set;
}

Owned<X509> makeCertificate(EVP_PKEY* subjectKey, const std::string& commonName, long lifetime) {
    Owned<X509> certificate(X509_new());
    if (!certificate || X509_set_version(certificate.get(), 2) != 1 || !setRandomSerial(certificate.get()) ||
        X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -kDay) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(certificate.get()), lifetime) == nullptr ||
        X509_set_pubkey(certificate.get(), subjectKey) != 1) {
        return nullptr;
    }
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Orvex development"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    return certificate;
}

std::string subjectAltNames(const ServerIdentity& identity) {
    std::string text;
    for (const auto& name : identity.dnsNames) {
        text += (text.empty() ? "DNS:" : ",DNS:") + name;
    }
    if (!identity.ipAddress.empty()) {
        text += (text.empty() ? "IP:" : ",IP:") + identity.ipAddress;
    }
    return text;
}

std::vector<std::string> namesOf(X509* certificate) {
    std::vector<std::string> names;
    Owned<GENERAL_NAMES> general(
        static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr)));
    if (!general) {
        return names;
    }
    for (int i = 0; i < sk_GENERAL_NAME_num(general.get()); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(general.get(), i);
        if (entry->type == GEN_DNS) {
            const auto* text = ASN1_STRING_get0_data(entry->d.dNSName);
            names.emplace_back("DNS:" + std::string(reinterpret_cast<const char*>(text),
                                                    ASN1_STRING_length(entry->d.dNSName)));
        } else if (entry->type == GEN_IPADD && ASN1_STRING_length(entry->d.iPAddress) == 4) {
            const auto* bytes = ASN1_STRING_get0_data(entry->d.iPAddress);
            names.emplace_back("IP:" + std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
                               std::to_string(bytes[2]) + "." + std::to_string(bytes[3]));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> wantedNames(const ServerIdentity& identity) {
    std::vector<std::string> names;
    for (const auto& name : identity.dnsNames) {
        names.push_back("DNS:" + name);
    }
    if (!identity.ipAddress.empty()) {
        names.push_back("IP:" + identity.ipAddress);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool expiresSoon(X509* certificate) {
    time_t limit = time(nullptr) + kRenewalMargin;
    return X509_cmp_time(X509_get0_notAfter(certificate), &limit) <= 0;
}

bool verifiesAgainst(X509* certificate, X509* authority) {
    Owned<X509_STORE> store(X509_STORE_new());
    Owned<X509_STORE_CTX> context(X509_STORE_CTX_new());
    if (!store || !context || X509_STORE_add_cert(store.get(), authority) != 1 ||
        X509_STORE_CTX_init(context.get(), store.get(), certificate, nullptr) != 1) {
        return false;
    }
    const bool verified = X509_verify_cert(context.get()) == 1;
    ERR_clear_error();
    return verified;
}

bool makeAuthority(const TlsFiles& files, std::string& error) {
    auto key = makeKey();
    auto certificate = key ? makeCertificate(key.get(), "Orvex development CA", kAuthorityLifetime) : nullptr;
    if (!certificate) {
        error = openSslError("cannot create the certificate authority");
        return false;
    }
    X509_set_issuer_name(certificate.get(), X509_get_subject_name(certificate.get()));
    if (!addExtension(certificate.get(), certificate.get(), NID_basic_constraints,
                      "critical,CA:TRUE,pathlen:0") ||
        !addExtension(certificate.get(), certificate.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !addExtension(certificate.get(), certificate.get(), NID_subject_key_identifier, "hash") ||
        X509_sign(certificate.get(), key.get(), EVP_sha256()) == 0) {
        error = openSslError("cannot sign the certificate authority");
        return false;
    }
    if (!saveKey(files.caKey, key.get()) || !saveCertificate(files.caCertificate, certificate.get())) {
        error = "cannot write the certificate authority to " + files.caCertificate.parent_path().string();
        return false;
    }
    return true;
}

bool makeServerCertificate(const TlsFiles& files, const ServerIdentity& identity, X509* authority,
                           EVP_PKEY* authorityKey, std::string& error) {
    auto key = makeKey();
    const std::string commonName = identity.dnsNames.empty() ? identity.ipAddress : identity.dnsNames.front();
    auto certificate = key ? makeCertificate(key.get(), commonName, kServerLifetime) : nullptr;
    if (!certificate) {
        error = openSslError("cannot create the server certificate");
        return false;
    }
    X509_set_issuer_name(certificate.get(), X509_get_subject_name(authority));
    const std::string names = subjectAltNames(identity);
    if (!addExtension(certificate.get(), authority, NID_basic_constraints, "critical,CA:FALSE") ||
        !addExtension(certificate.get(), authority, NID_key_usage,
                      "critical,digitalSignature,keyEncipherment") ||
        !addExtension(certificate.get(), authority, NID_ext_key_usage, "serverAuth") ||
        !addExtension(certificate.get(), authority, NID_subject_alt_name, names.c_str()) ||
        !addExtension(certificate.get(), authority, NID_authority_key_identifier, "keyid:always") ||
        X509_sign(certificate.get(), authorityKey, EVP_sha256()) == 0) {
        error = openSslError("cannot sign the server certificate");
        return false;
    }
    if (!saveKey(files.serverKey, key.get()) ||
        !saveCertificate(files.serverCertificate, certificate.get())) {
        error = "cannot write the server certificate to " + files.serverCertificate.parent_path().string();
        return false;
    }
    return true;
}

} // namespace

bool ensureTlsFiles(const std::filesystem::path& folder, const ServerIdentity& identity, TlsFiles& files,
                    std::string& error) {
    files =
        TlsFiles{folder / "ca.pem", folder / "ca-key.pem", folder / "server.pem", folder / "server-key.pem"};
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);

    auto authority = readPem<X509>(files.caCertificate, PEM_read_bio_X509);
    auto authorityKey = readPem<EVP_PKEY>(files.caKey, PEM_read_bio_PrivateKey);
    if (!authority || !authorityKey || X509_check_private_key(authority.get(), authorityKey.get()) != 1 ||
        expiresSoon(authority.get())) {
        ERR_clear_error();
        if (!makeAuthority(files, error)) {
            return false;
        }
        authority = readPem<X509>(files.caCertificate, PEM_read_bio_X509);
        authorityKey = readPem<EVP_PKEY>(files.caKey, PEM_read_bio_PrivateKey);
        if (!authority || !authorityKey) {
            error = "cannot read back the certificate authority";
            return false;
        }
        std::filesystem::remove(files.serverCertificate, ignored);
    }

    auto server = readPem<X509>(files.serverCertificate, PEM_read_bio_X509);
    auto serverKey = readPem<EVP_PKEY>(files.serverKey, PEM_read_bio_PrivateKey);
    const bool usable = server && serverKey && X509_check_private_key(server.get(), serverKey.get()) == 1 &&
                        !expiresSoon(server.get()) && verifiesAgainst(server.get(), authority.get()) &&
                        namesOf(server.get()) == wantedNames(identity);
    ERR_clear_error();
    return usable || makeServerCertificate(files, identity, authority.get(), authorityKey.get(), error);
}

} // namespace devservice
