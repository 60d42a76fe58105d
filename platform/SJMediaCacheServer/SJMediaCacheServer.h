#pragma once

#include "platform/Foundation/NSError.h"

#include <cstdint>
#include <curl/curl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class MCSAssetExporter;
class MCSPrefetchTask;

namespace mcs {
class ProxyCore;
}

// The local media cache proxy: plays remote media through addresses on 127.0.0.1
// while caching it, prefetches it in the background, and exports whole assets for
// offline playback. Called on the main thread; every block it is given runs on the
// main queue.
class SJMediaCacheServer {
  public:
    struct Options {
        // Where the cache lives; "com.SJMediaCacheServer.cache" in Documents by default.
        std::filesystem::path cacheRoot;
        // Cached bytes that are not exports are kept up to this size (least recently used
        // assets go first).
        std::uint64_t removableCacheLimit = 2ull << 30;
        // Attempts per resource of an export or a prefetch before it fails for a passing
        // fault (no connection, a reset, a timeout, 408, 429, 5xx), the first pause between
        // attempts (doubled after each, or the origin's longer Retry-After) and the longest.
        int fetchAttempts = 5;
        double retryDelaySeconds = 0.5;
        double longestRetryDelaySeconds = 30;
        // Upstream connections of one export at most (one per resource it still needs,
        // opened at once), of all exports together at most, and exports running at once.
        int exportConnections = 16;
        int exportConnectionsInAll = 24;
        int concurrentExports = 2;
        // Readers waiting this long for bytes that do not come give up.
        double stallTimeoutSeconds = 30;
        // Applied to every upstream request (name resolution, certificate authorities).
        std::function<void(CURL*)> upstreamConfigurator;
        // Names assets (see setResolveAssetIdentifier); none keeps the built-in rule.
        std::function<std::string(const std::string& url)> resolveAssetIdentifier;
    };

    // The process-wide proxy (its port is chosen once, when it first serves).
    static SJMediaCacheServer& shared();
    static Options defaultOptions();
    // The naming rule that defaultOptions() hands on, so that a process can fix its rule
    // at launch without building the proxy before it is first used.
    static void setDefaultResolveAssetIdentifier(std::function<std::string(const std::string& url)> block);

    explicit SJMediaCacheServer(Options options);
    ~SJMediaCacheServer();
    SJMediaCacheServer(const SJMediaCacheServer&) = delete;
    SJMediaCacheServer& operator=(const SJMediaCacheServer&) = delete;

    // The "http://127.0.0.1:<port>/..." address to play instead of `url`, whose last
    // path segment keeps the original extension (".m3u8" added once the address is known
    // to be a playlist); none for addresses that are not http(s) or when the proxy cannot
    // serve (no listening socket, or a cache folder that cannot be written). A finished
    // export plays from its files.
    std::optional<std::string> playbackURLWithURL(const std::string& url);
    // The beginning that every playback address of this proxy shares: its own origin
    // ("http://127.0.0.1:<port>") and this process's path token. None while the proxy does
    // not serve (no playback address has been handed out then).
    std::optional<std::string> playbackURLPrefix();
    // Whether the proxy answers requests (it does until told otherwise).
    void setActive(bool active);
    bool isActive() const;
    void setEnabledConsoleLog(bool enabled);
    // Names assets from now on; taken only before the first asset is named, so one rule
    // holds for the whole process. The address's query always stays part of the name.
    void setResolveAssetIdentifier(std::function<std::string(const std::string& url)> block);

    // Caches up to `preloadSize` bytes of `url` in the background (none for addresses
    // that are not http(s)). `progress` gets fractions, `completed` nothing or an error.
    std::shared_ptr<MCSPrefetchTask>
    prefetchWithURL(const std::string& url, std::uint64_t preloadSize,
                    std::function<void(float progress)> progress,
                    std::function<void(const std::optional<NSError>& error)> completed);

    // The export task of `url` (the text exactly as given is its key): the one that
    // exists, or a new one that waits for `resume`. None for addresses that are not
    // http(s).
    std::shared_ptr<MCSAssetExporter> exportAssetWithURL(const std::string& url);
    // The same, with the request header fields (User-Agent among them) that the media's
    // origin asks for: they replace the export's earlier ones, are kept with it across
    // restarts and go with every upstream request of the asset (playlists, keys, maps,
    // segments, redirects followed). None when a name is not an HTTP token or a value
    // holds CR or LF.
    std::shared_ptr<MCSAssetExporter> exportAssetWithURL(const std::string& url,
                                                         const std::map<std::string, std::string>& headers);
    // Stops and forgets the export of `url` and deletes its files; a later export
    // starts afresh.
    void removeExportAssetWithURL(const std::string& url);
    // Bytes on disk of every export (unfinished ones included).
    std::uint64_t countOfBytesAllExportedAssets();
    // Deletes cached media that is neither exported nor being played.
    void removeAllRemovableCaches();

    // Replaces the options' upstream configurator (the shared proxy's follows the
    // process's network policy).
    // TLS peers are verified against the system's store unless it says otherwise.
    void setUpstreamConfigurator(std::function<void(CURL*)> configurator);

  private:
    std::shared_ptr<mcs::ProxyCore> core_;
};
