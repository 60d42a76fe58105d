#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace mcs {

// A set of half-open byte runs [start, stop), kept merged and sorted: which bytes of a
// cached file are present.
class RangeSet {
  public:
    void add(std::uint64_t start, std::uint64_t stop);
    void clear() { runs_.clear(); }
    // Forgets every byte at or after `stop`.
    void truncate(std::uint64_t stop);
    bool empty() const { return runs_.empty(); }
    // How many bytes from `offset` onwards are present without a gap (0 when `offset`
    // itself is missing).
    std::uint64_t contiguousFrom(std::uint64_t offset) const;
    bool contains(std::uint64_t start, std::uint64_t stop) const;
    // The first present byte at or after `offset`, if any.
    bool nextPresent(std::uint64_t offset, std::uint64_t& start) const;
    // The first missing byte in [start, stop), if any.
    bool firstMissing(std::uint64_t start, std::uint64_t stop, std::uint64_t& missing) const;
    std::uint64_t totalBytes() const;
    // Present bytes inside [start, stop).
    std::uint64_t bytesWithin(std::uint64_t start, std::uint64_t stop) const;
    const std::map<std::uint64_t, std::uint64_t>& runs() const { return runs_; }

    // "start-stop,start-stop" (stops exclusive) for storage.
    std::string serialize() const;
    static RangeSet deserialize(const std::string& text);

  private:
    std::map<std::uint64_t, std::uint64_t> runs_; // start -> stop
};

} // namespace mcs
