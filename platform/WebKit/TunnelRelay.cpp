#include "platform/WebKit/TunnelRelay.h"

#include "platform/WebKit/TunnelRequestFilter.h"
#include "platform/WebKit/TunnelUpstream.h"

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

#include <algorithm>
#include <climits>
#include <poll.h>

namespace tunnelrelay {
namespace {

constexpr int kHandshakeTimeoutMs = 30000;
constexpr int kIdleTimeoutMs = 120000;
constexpr std::size_t kBufferLimit = 64 * 1024;
constexpr long kCertificateLifetime = 7 * 24 * 60 * 60;

std::string openSslError(const std::string& what) {
    char text[256] = "unknown error";
    if (const unsigned long code = ERR_get_error(); code != 0) {
        ERR_error_string_n(code, text, sizeof text);
    }
    ERR_clear_error();
    return what + ": " + text;
}

struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(X509* certificate) const { X509_free(certificate); }
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};

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

std::unique_ptr<X509, KeyDeleter> selfSigned(EVP_PKEY* key) {
    std::unique_ptr<X509, KeyDeleter> certificate(X509_new());
    if (!certificate || X509_set_version(certificate.get(), 2) != 1 || !setRandomSerial(certificate.get()) ||
        X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -60 * 60) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(certificate.get()), kCertificateLifetime) == nullptr ||
        X509_set_pubkey(certificate.get(), key) != 1) {
        return nullptr;
    }
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("orvex-webview tunnel"), -1, -1, 0);
    if (X509_set_issuer_name(certificate.get(), name) != 1 ||
        X509_sign(certificate.get(), key, EVP_sha256()) == 0) {
        return nullptr;
    }
    return certificate;
}

// A TLS operation that could not finish yet: what to wait for, or nothing when it failed.
short wanted(SSL* ssl, int result) {
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return POLLIN;
    case SSL_ERROR_WANT_WRITE:
        return POLLOUT;
    default:
        ERR_clear_error();
        return 0;
    }
}

bool acceptTls(SSL* ssl, int client, int stopFd) {
    for (;;) {
        const int result = SSL_accept(ssl);
        if (result == 1) {
            return true;
        }
        const short events = wanted(ssl, result);
        if (events == 0 || waitFor(client, events, stopFd, kHandshakeTimeoutMs) != Wait::ready) {
            return false;
        }
    }
}

} // namespace

ServerContext makeServerContext(std::string& error) {
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    if (!key) {
        error = openSslError("no key for the tunnel");
        return nullptr;
    }
    const auto certificate = selfSigned(key.get());
    if (!certificate) {
        error = openSslError("no certificate for the tunnel");
        return nullptr;
    }
    ServerContext context(SSL_CTX_new(TLS_server_method()));
    if (!context || SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION) != 1 ||
        SSL_CTX_use_certificate(context.get(), certificate.get()) != 1 ||
        SSL_CTX_use_PrivateKey(context.get(), key.get()) != 1) {
        error = openSslError("no TLS context for the tunnel");
        return nullptr;
    }
    // Writes are retried with the rest of a buffer that may have moved meanwhile.
    SSL_CTX_set_mode(context.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return context;
}

Wait waitFor(int fd, short events, int stopFd, int timeoutMs) {
    pollfd watched[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, 2, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return Wait::timedOut;
        }
        if (ready < 0 || watched[1].revents != 0) {
            return Wait::stopped;
        }
        return Wait::ready;
    }
}

void relay(int client, SSL_CTX* context, TunnelUpstream& upstream, int stopFd) {
    std::unique_ptr<SSL, KeyDeleter> ssl(SSL_new(context));
    if (!ssl || SSL_set_fd(ssl.get(), client) != 1 || !acceptTls(ssl.get(), client, stopFd)) {
        ERR_clear_error();
        return;
    }
    TunnelRequestFilter requests;
    std::string toUpstream;
    std::string toClient;
    bool clientReadable = true, clientWritable = true, upstreamReadable = true, upstreamWritable = true;
    char buffer[16 * 1024];
    for (;;) {
        bool moved = false;
        short clientEvents = 0;
        short upstreamEvents = 0;
        if (clientReadable && toUpstream.size() < kBufferLimit) {
            const int n = SSL_read(ssl.get(), buffer, sizeof buffer);
            if (n > 0) {
                requests.feed(std::string_view(buffer, static_cast<std::size_t>(n)), toUpstream);
                if (requests.failed()) {
                    break;
                }
                moved = true;
            } else if (const short events = wanted(ssl.get(), n); events != 0) {
                clientEvents |= events;
            } else {
                clientReadable = false;
            }
        }
        if (!toUpstream.empty()) {
            const ssize_t n = upstream.send(toUpstream.data(), toUpstream.size());
            if (n > 0) {
                toUpstream.erase(0, static_cast<std::size_t>(n));
                moved = true;
            } else if (n == TunnelUpstream::kWouldBlock) {
                upstreamEvents |= POLLOUT;
            } else {
                upstreamWritable = false;
            }
        }
        if (upstreamReadable && toClient.size() < kBufferLimit) {
            const ssize_t n = upstream.receive(buffer, sizeof buffer);
            if (n > 0) {
                toClient.append(buffer, static_cast<std::size_t>(n));
                moved = true;
            } else if (n == TunnelUpstream::kWouldBlock) {
                upstreamEvents |= POLLIN;
            } else {
                upstreamReadable = false;
            }
        }
        if (!toClient.empty()) {
            const int n = SSL_write(ssl.get(), toClient.data(),
                                    static_cast<int>(std::min<std::size_t>(toClient.size(), INT_MAX)));
            if (n > 0) {
                toClient.erase(0, static_cast<std::size_t>(n));
                moved = true;
            } else if (const short events = wanted(ssl.get(), n); events != 0) {
                clientEvents |= events;
            } else {
                clientWritable = false;
            }
        }
        // A side that failed ends the tunnel; a side that closed ends it once what it sent
        // has been passed on.
        if (!clientWritable || !upstreamWritable || (!clientReadable && toUpstream.empty()) ||
            (!upstreamReadable && toClient.empty())) {
            break;
        }
        if (moved) {
            continue;
        }
        pollfd watched[3] = {{clientEvents != 0 ? client : -1, clientEvents, 0},
                             {upstreamEvents != 0 ? upstream.socket() : -1, upstreamEvents, 0},
                             {stopFd, POLLIN, 0}};
        const int ready = ::poll(watched, 3, kIdleTimeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || watched[2].revents != 0) {
            break;
        }
    }
    if (clientWritable) {
        SSL_shutdown(ssl.get());
    }
    ERR_clear_error();
}

} // namespace tunnelrelay
