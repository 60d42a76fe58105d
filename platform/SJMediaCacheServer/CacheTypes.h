#pragma once

#include "platform/SJMediaCacheServer/RangeSet.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mcs {

struct Transfer;

// Request header fields sent with every upstream request of an asset (name -> value).
using HeaderFields = std::map<std::string, std::string>;

// One remote file of an asset, cached in a sparse file of its own. Fields after `file`
// are guarded by the cache's lock.
struct Resource {
    Resource(std::string rid, std::string url, std::filesystem::path file, bool playlist)
        : rid(std::move(rid)), url(std::move(url)), file(std::move(file)), playlist(playlist) {}
    ~Resource();

    const std::string rid;
    const std::string url;
    const std::filesystem::path file;
    // Served rewritten (an entry playlist, a variant or rendition); an entry becomes one
    // when its content says so.
    std::atomic<bool> playlist;

    int fd = -1;
    std::optional<std::uint64_t> total;
    std::string contentType;
    std::string etag;
    std::string effectiveUrl; // after redirects; playlists resolve their URIs against it
    RangeSet present;
    bool dirty = true;               // changed since it was last written to the database
    std::condition_variable changed; // bytes arrived, a transfer ended
    std::vector<std::shared_ptr<Transfer>> transfers;

    bool complete() const { return total && present.contains(0, *total); }
};

// Everything cached for one address handed over by the application: its entry
// resource and, for HLS, every resource its playlists name.
struct Asset {
    std::string folder; // generated hex name of its folder
    std::string url;    // the entry address
    std::atomic<bool> playlist{false};
    bool kindKnown = false;         // its entry's kind was decided from its answer (under the lock)
    bool allowLocalTargets = false; // its entry is itself on a local address
    std::string entryHost;          // its entry's host, lower case
    std::shared_ptr<const HeaderFields> requestHeaders; // under the lock
    std::string entryRid;
    std::string entryName;
    std::map<std::string, std::shared_ptr<Resource>> resources;
    double lastAccess = 0; // seconds since 1970
    bool accessChanged = false;
    std::chrono::steady_clock::time_point lastServed{};
    int readers = 0; // responses being served
    int pins = 0;    // exports and prefetches at work
};

// One upstream request filling [start, stop) of a resource (stop unknown: to its end).
struct Transfer {
    enum class State { Running, Succeeded, Failed, Cancelled };

    std::shared_ptr<Resource> resource;
    bool restrictLocal = false;    // refuse loopback and link-local peers
    std::uint16_t refusedPort = 0; // the proxy's own port on loopback, never a target
    std::shared_ptr<const HeaderFields> headers;
    std::uint64_t start = 0;
    std::uint64_t next = 0;
    std::optional<std::uint64_t> stop;

    // Guarded by the cache's lock.
    State state = State::Running;
    int httpStatus = 0;
    bool transient = false;                                 // worth trying again
    std::optional<double> retryAfterSeconds = std::nullopt; // the origin's Retry-After with a failure
    bool storageFailed = false;                             // its file could not be opened or written
    int waiters = 0; // readers relying on it; cancelled when the last one leaves
    std::atomic<bool> cancelRequested{false};

    // Used by the fetcher thread only.
    void* easy = nullptr;
    void* headerList = nullptr; // curl_slist of `headers`
    bool checkedHeaders = false;
    bool reachedStop = false;
    std::uint64_t skip = 0; // bytes of a full answer before `start`
    std::vector<std::string> responseHeaders;
    std::string errorText;
    bool refusedPeer = false; // the only addresses of its host are ones it may not reach
};

} // namespace mcs
