#pragma once

#include <nlohmann/json.hpp>

#include <mutex>
#include <optional>

// One end of the socket between the application and a second-engine helper process: a
// sequenced-packet socket, one JSON object a packet, a packet optionally carrying one
// descriptor (the helper's picture memory). Sending is thread-safe; receiving is for one
// thread at a time.
class PlaybinChannel {
  public:
    // Takes over `socket`.
    explicit PlaybinChannel(int socket);
    ~PlaybinChannel();
    PlaybinChannel(const PlaybinChannel&) = delete;
    PlaybinChannel& operator=(const PlaybinChannel&) = delete;

    int socket() const { return socket_; }

    // Sends `message` (with `descriptor`, when one is given) without waiting for room: a
    // peer that reads nothing while the socket's buffer is full is not answering. False
    // when the message could not be sent.
    bool send(const nlohmann::json& message, int descriptor = -1);

    struct Received {
        nlohmann::json message;
        int descriptor = -1; // owned by the receiver
    };
    enum class Outcome { Message, Nothing, Closed };
    // Reads one waiting packet, without blocking: Nothing when none waits, Closed when the
    // peer has gone (or sent what is no message).
    Outcome receive(Received& received);

    // Ends the connection in both directions; a receive waiting in poll() wakes up.
    void shutDown();

  private:
    int socket_;
    std::mutex sendMutex_;
};

// Creates a connected pair of sockets for a helper (both closed on exec).
bool makePlaybinSocketPair(int sockets[2]);
