#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Turns the machine's received-byte counters into a short speed text ("12.3KB/秒"). The
// text is a true rate: bytes received since the previous sample divided by the seconds
// between the two, taken at most once a second (asked more often, it answers the last
// text again), so callers may ask whenever they redraw.
class KKsummarizepresentation {
  public:
    using ByteCounter = std::function<std::uint64_t()>;
    using Clock = std::function<double()>;

    // Reads the machine's counters and the main run loop's clock.
    KKsummarizepresentation();
    KKsummarizepresentation(ByteCounter counter, Clock clock);

    // Received bytes of every network interface except the loopback ones, from
    // /proc/net/dev (64-bit counters); 0 when it cannot be read.
    static std::uint64_t getInterfaceBytes();
    // The same, from a file in /proc/net/dev's format.
    static std::uint64_t interfaceBytesFromFile(const std::string& path);

    // Takes a sample (at most one a second) and answers its text. The first sample
    // answers "0B/秒".
    std::string getInternetSpeed();
    // The text of `bytesPerSecond`: bytes below 1 KiB, then KB with one decimal, MB and
    // GB with two.
    static std::string formatNetWork(std::int64_t bytesPerSecond);

    std::uint64_t lastBytes = 0;

  private:
    ByteCounter counter_;
    Clock clock_;
    double lastTime_ = 0;
    std::string lastText_;
};
