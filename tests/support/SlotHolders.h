#pragma once

#include <optional>
#include <string_view>

namespace testsupport {

// A connection to a server on 127.0.0.1 that the test holds open, sending what it likes
// (a request never completed, or one whole), as any local program can; closed when
// destroyed.
class SlotHolder {
  public:
    explicit SlotHolder(int port);
    ~SlotHolder();
    SlotHolder(const SlotHolder&) = delete;
    SlotHolder& operator=(const SlotHolder&) = delete;

    bool connected() const { return fd_ >= 0; }
    void send(std::string_view bytes);
    // Waits at most `seconds` until the server's side has received everything sent: the
    // bytes wait in its socket, or the server has read them.
    bool awaitDelivered(double seconds);
    // Ends what the test sends: the server reads the end of the stream.
    void endSending();
    // Whether the server has closed or reset the connection (what it sent is dropped).
    bool closedByServer();
    // What the server sends until it closes, `until` (when not empty) has arrived, or
    // `seconds` pass.
    std::string receive(double seconds, std::string_view until = {});

  private:
    int fd_ = -1;
};

struct SlowClientsClosed {
    // Seconds from the connection's opening to its close; nothing when still open.
    std::optional<double> silent;    // sends nothing
    std::optional<double> trickling; // sends a request head a byte at a time, never ending it
};

// Opens both slow clients at once and watches them for at most `limitSeconds`.
SlowClientsClosed watchSlowClients(int port, double limitSeconds);

} // namespace testsupport
