#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <mutex>
#include <string>

// One end of the socket between the application and a second-engine helper process: a
// sequenced-packet socket, one JSON object a packet, a packet optionally carrying one
// descriptor (the helper's picture memory). Sending is thread-safe; receiving is for one
// thread at a time.
class PlaybinChannel {
  public:
    // The largest packet either side sends or takes.
    static constexpr std::size_t maximumPacket = 64 * 1024;

    // Takes over `socket`.
    explicit PlaybinChannel(int socket);
    ~PlaybinChannel();
    PlaybinChannel(const PlaybinChannel&) = delete;
    PlaybinChannel& operator=(const PlaybinChannel&) = delete;

    int socket() const { return socket_; }

    enum class Encoding { Fits, NotUTF8, TooLarge };
    // The packet `message` makes, in `text`, and whether a packet may carry it.
    static Encoding encode(const nlohmann::json& message, std::string& text);

    // Sends `message` (with `descriptor`, when one is given) without waiting for room: a
    // peer that reads nothing while the socket's buffer is full is not answering. Never
    // throws: text that is not UTF-8 goes with replacement characters. False when the
    // message could not be sent (no room, too large, the peer gone).
    bool send(const nlohmann::json& message, int descriptor = -1);
    // Sends `packet` as it stands, in the same way.
    bool sendPacket(const std::string& packet, int descriptor = -1);

    struct Received {
        nlohmann::json message;
        int descriptor = -1; // owned by the receiver
    };
    // Message: one packet, whole and a JSON object. Nothing: none waits. Closed: the peer
    // has gone and everything it sent before has been read. Malformed: a packet that is
    // no message (cut short, too large, not a JSON object, too many descriptors).
    enum class Outcome { Message, Nothing, Closed, Malformed };
    // Reads one waiting packet, without blocking.
    Outcome receive(Received& received);

    // Ends the connection in both directions; a receive waiting in poll() wakes up.
    void shutDown();

  private:
    int socket_;
    std::mutex sendMutex_;
};

// Creates a connected pair of sockets for a helper (both closed on exec).
bool makePlaybinSocketPair(int sockets[2]);
