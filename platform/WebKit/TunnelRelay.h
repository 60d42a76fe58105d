#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string>

class TunnelUpstream;

namespace tunnelrelay {

struct ContextDeleter {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
using ServerContext = std::unique_ptr<SSL_CTX, ContextDeleter>;

// A TLS server context with a key and a self-signed certificate made now, for one tunnel:
// the engine meets it on every tunnel it opens (nothing else ever presents it).
ServerContext makeServerContext(std::string& error);

enum class Wait { ready, timedOut, stopped };
// Waits until `fd` is ready for `events`, `timeoutMs` passes or `stopFd` becomes readable.
Wait waitFor(int fd, short events, int stopFd, int timeoutMs);

// Ends the engine's TLS on `client` (a non-blocking socket) and carries the bytes both
// ways between it and `upstream` (the engine's requests without the tunnel's credentials)
// until either side closes or fails, nothing moves for two minutes, or `stopFd` becomes
// readable.
void relay(int client, SSL_CTX* context, TunnelUpstream& upstream, int stopFd);

} // namespace tunnelrelay
