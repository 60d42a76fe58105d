#pragma once

#include "platform/SJMediaCacheServer/CacheTypes.h"
#include "platform/SJMediaCacheServer/MetadataDatabase.h"

#include <atomic>
#include <curl/curl.h>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace mcs {

struct CacheOptions {
    std::filesystem::path root;
    // Removable (not exported) cache kept at most, least recently used evicted first.
    std::uint64_t removableCacheLimit = 2ull << 30;
    // Readers that received nothing for this long give up.
    double stallTimeoutSeconds = 30;
    std::function<void(CURL*)> upstreamConfigurator;
    // Told of each file and folder made durable, on the thread that synced it (tests).
    std::function<void(const std::filesystem::path&)> didSync;
};

// What a wait for bytes found.
struct WaitResult {
    enum Kind { Ready, End, Failed, Cancelled, TimedOut } kind = Ready;
    std::uint64_t available = 0; // Ready: contiguous bytes present from the position asked
    int httpStatus = 0;          // Failed: upstream status (0: no answer)
    bool transient = false;      // Failed: worth trying again
    bool storage = false;        // Failed: the cache file could not be opened or written
    std::optional<double> retryAfterSeconds = std::nullopt; // Failed: the pause the origin asked for
};

class MediaCache;

// A reader's hold on the transfer it waits for: while held, the transfer continues;
// when the last holder lets go, a transfer nobody else wants is cancelled.
class ReadSession {
  public:
    explicit ReadSession(MediaCache& cache) : cache_(cache) {}
    ~ReadSession();
    ReadSession(const ReadSession&) = delete;
    ReadSession& operator=(const ReadSession&) = delete;

  private:
    friend class MediaCache;
    MediaCache& cache_;
    std::shared_ptr<Transfer> joined_;
};

// The cache: the registry of assets and resources (with their files and "mcs.db"),
// and one fetcher thread driving every upstream transfer through a libcurl multi
// handle (connections and DNS answers shared). Readers on other threads wait for the
// bytes they need; concurrent readers of the same bytes share one transfer.
class MediaCache {
  public:
    explicit MediaCache(CacheOptions options);
    ~MediaCache();
    MediaCache(const MediaCache&) = delete;
    MediaCache& operator=(const MediaCache&) = delete;

    MetadataDatabase& database() { return database_; }
    // Whether the cache folder and its database can be written: without them nothing is
    // cached, served or exported.
    bool usable() const { return usable_; }
    const std::filesystem::path& root() const { return options_.root; }
    void setProxyPort(std::uint16_t port) { proxyPort_ = port; }
    void setUpstreamConfigurator(std::function<void(CURL*)> configurator);
    // The folders that eviction must keep (exports), asked by the housekeeping thread.
    void setProtectedFolders(std::function<std::set<std::string>()> provider);

    // The asset of an entry address, registered (and stored) if new.
    std::shared_ptr<Asset> registerAsset(const std::string& folder, const std::string& url, bool playlist);
    std::shared_ptr<Asset> asset(const std::string& folder);
    std::shared_ptr<Resource> resource(const Asset& asset, const std::string& rid);
    std::shared_ptr<Resource> entryResource(const Asset& asset);
    // Registers a URI found in one of the asset's playlists (already resolved).
    std::shared_ptr<Resource> addResource(Asset& asset, const std::string& url, bool playlist);

    // Waits until bytes at `position` of `resource` are present, fetching them if no
    // transfer brings them soon. New transfers stop at `limit` (exclusive) or earlier.
    WaitResult waitForBytes(const Asset& asset, const std::shared_ptr<Resource>& resource,
                            std::uint64_t position, std::optional<std::uint64_t> limit, ReadSession& session,
                            const std::function<bool()>& abandon);
    // Waits until the resource's length is known, fetching [position, stop) meanwhile.
    WaitResult waitForLength(const Asset& asset, const std::shared_ptr<Resource>& resource,
                             std::uint64_t position, std::optional<std::uint64_t> stop, ReadSession& session,
                             const std::function<bool()>& abandon);
    // Makes [start, stop) present (stop unknown: the whole resource from `start`).
    WaitResult fill(const Asset& asset, const std::shared_ptr<Resource>& resource, std::uint64_t start,
                    std::optional<std::uint64_t> stop, const std::function<bool()>& abandon);
    // The whole resource as text (playlists, at most `maxBytes`).
    WaitResult loadWhole(const Asset& asset, const std::shared_ptr<Resource>& resource, std::string& text,
                         std::size_t maxBytes, const std::function<bool()>& abandon);
    // Decides from its answer whether an entry that does not say so by its extension is a
    // playlist: by its Content-Type, else by its first bytes. Once decided, it stays so.
    // [start, stop) is what the caller reads next: its first request brings both, and
    // stays joined to `session` for the caller to read on.
    WaitResult decideKind(Asset& asset, const std::shared_ptr<Resource>& entry, std::uint64_t start,
                          std::optional<std::uint64_t> stop, ReadSession& session,
                          const std::function<bool()>& abandon);
    // Header fields sent with every later upstream request of the asset.
    void setRequestHeaders(Asset& asset, std::shared_ptr<const HeaderFields> headers);
    // Forgets the bytes of a resource whose content changes (live playlists).
    void invalidate(const std::shared_ptr<Resource>& resource);

    // Bytes present for the resources of `folders`.
    std::uint64_t bytesOf(const std::set<std::string>& folders);
    // Byte counts of a resource, read under the lock.
    std::uint64_t presentBytes(const Resource& resource, std::uint64_t start,
                               std::optional<std::uint64_t> stop);
    std::optional<std::uint64_t> totalOf(const Resource& resource);
    // Bytes present from the start without a gap.
    std::uint64_t contiguousBytes(const Resource& resource);
    // The resource's open file (for sending cached bytes).
    int fileDescriptor(Resource& resource);
    std::string effectiveUrlOf(const Resource& resource);
    std::string contentTypeOf(const Resource& resource);

    void beginReading(Asset& asset);
    void endReading(Asset& asset);
    void pin(Asset& asset, int delta);

    // Deletes an asset's files and rows (readers holding its files keep them open).
    void removeAsset(const std::string& folder);
    // Deletes the cached bytes of every asset that is not in `keep`, not read, fetched
    // or pinned now and not served in the last minute. The assets stay known, so that
    // addresses handed out earlier fetch again. Answers how many were cleared.
    std::size_t removeRemovable(const std::set<std::string>& keep);
    // Evicts least recently used removable assets while they exceed the limit.
    void enforceLimit(const std::set<std::string>& keep);
    // Syncs the files of every resource whose bytes changed, and the folders whose names
    // changed, then records their present byte runs in the database (the housekeeping
    // thread does this every second, so a crash loses at most the last second's bytes).
    // False when a file or folder could not be synced or the rows could not be written.
    bool flush();
    // Makes the bytes written to a resource's file durable now; false when they are not.
    bool syncFile(Resource& resource);

  private:
    friend class ReadSession;
    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* context);
    static std::size_t headerCallback(char* data, std::size_t size, std::size_t count, void* context);

    void loadFromDatabase();
    void reportSynced(const std::filesystem::path& path);
    WaitResult fill(const Asset& asset, const std::shared_ptr<Resource>& resource, std::uint64_t start,
                    std::optional<std::uint64_t> stop, ReadSession& session,
                    const std::function<bool()>& abandon);
    // Whether an asset's bytes may go now (under the lock).
    bool removableLocked(const Asset& asset, const std::set<std::string>& keep) const;
    // Deletes an asset's bytes and files but keeps it and its resources known.
    bool clearAsset(const std::string& folder, const std::set<std::string>& keep);
    int openFileLocked(Resource& resource);
    std::shared_ptr<Transfer> coveringTransferLocked(const Resource& resource, std::uint64_t position) const;
    std::shared_ptr<Transfer> startTransferLocked(const Asset& asset,
                                                  const std::shared_ptr<Resource>& resource,
                                                  std::uint64_t start, std::optional<std::uint64_t> stop);
    void joinLocked(ReadSession& session, const std::shared_ptr<Transfer>& transfer);
    void releaseLocked(ReadSession& session);
    void wakeFetcher();

    void fetchLoop();
    void housekeepingLoop();
    void addEasyHandle(const std::shared_ptr<Transfer>& transfer);
    void finishTransfer(const std::shared_ptr<Transfer>& transfer, CURLcode code);
    bool acceptResponse(Transfer& transfer);
    std::size_t onData(Transfer& transfer, const char* data, std::size_t size);

    CacheOptions options_;
    // Folders whose new entries (files, folders) are not known to be durable yet; synced
    // by the next flush before it writes any row. Guarded by mutex_ once the threads run.
    std::set<std::filesystem::path> unsyncedFolders_;
    bool writable_ = false;
    MetadataDatabase database_;
    bool usable_ = false;
    std::atomic<std::uint16_t> proxyPort_{0};

    std::mutex mutex_; // assets, resources, transfers
    std::map<std::string, std::shared_ptr<Asset>> assets_;

    std::mutex flushMutex_;

    std::mutex commandMutex_;
    std::deque<std::shared_ptr<Transfer>> toStart_;
    std::deque<std::shared_ptr<Transfer>> toCancel_;
    std::function<void(CURL*)> configurator_;
    CURLM* multi_ = nullptr;
    std::map<CURL*, std::shared_ptr<Transfer>> running_;
    std::atomic<bool> stopping_{false};
    std::thread fetcher_;

    std::mutex housekeepingMutex_;
    std::condition_variable housekeepingWake_;
    std::function<std::set<std::string>()> protectedFolders_;
    std::thread housekeeper_;
};

} // namespace mcs
