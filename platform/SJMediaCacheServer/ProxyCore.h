#pragma once

#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/MCSPrefetchTask.h"
#include "platform/SJMediaCacheServer/MediaCache.h"
#include "platform/SJMediaCacheServer/Playlist.h"
#include "platform/SJMediaCacheServer/RetryPolicy.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/SJMediaCacheServer/http/LoopbackHttpServer.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace mcs {

// The inside of SJMediaCacheServer: the cache, the loopback server that plays from
// it, asset naming, and the export and prefetch tasks.
class ProxyCore : public std::enable_shared_from_this<ProxyCore> {
  public:
    explicit ProxyCore(SJMediaCacheServer::Options options);
    ~ProxyCore();
    // Loads the exports of earlier processes (once the core is shared).
    void loadExporters();
    // Stops every task and the server (before the owner lets go of the core).
    void shutdown();

    std::optional<std::string> playbackURL(const std::string& url);
    // "http://127.0.0.1:<port>/<token>/", the start of every playback address; none while
    // the server does not run.
    std::optional<std::string> playbackURLPrefix();
    void setActive(bool active) { active_ = active; }
    bool isActive() const { return active_; }
    void setConsoleLog(bool enabled) { consoleLog_ = enabled; }
    void setResolveAssetIdentifier(std::function<std::string(const std::string&)> block);
    std::shared_ptr<MCSPrefetchTask> prefetch(const std::string& url, std::uint64_t preloadSize,
                                              std::function<void(float)> progress,
                                              std::function<void(const std::optional<NSError>&)> completed);
    // The export of `url`; `headers`, when given, replace its request header fields
    // (none when they are not valid).
    std::shared_ptr<MCSAssetExporter> exporter(const std::string& url, const HeaderFields* headers = nullptr);
    void removeExport(const std::string& url);
    std::uint64_t exportedBytes();
    void removeRemovableCaches();

    // Used by the tasks.
    MediaCache& cache() { return *cache_; }
    const SJMediaCacheServer::Options& options() const { return options_; }
    // How exports and prefetches try a failed fetch again.
    RetryPolicy retryPolicy() const {
        return {options_.fetchAttempts, options_.retryDelaySeconds, options_.longestRetryDelaySeconds};
    }
    // The asset of an address (in `folder` when given), registered if new.
    std::shared_ptr<Asset> assetFor(const std::string& url, const std::string& folder = {});
    void log(const std::string& line) const;
    void enqueueExport(const std::shared_ptr<MCSAssetExporter>& exporter);
    void exportEnded(MCSAssetExporter* exporter);
    void saveExporter(const MCSAssetExporter& exporter);

    // The proxy address of a resource (port and token of this process).
    std::string proxyURL(const Asset& asset, const std::string& rid, const std::string& name) const;
    // A playlist as served: URIs through the proxy, a finished export's master
    // reduced to what was exported.
    std::string rewrite(Asset& asset, const Resource& resource, const std::string& text);

  private:
    bool ensureServing();
    std::string folderFor(const std::string& url);
    std::set<std::string> exportFolders();
    void scheduleExports();
    void handle(const http::HttpRequest& request, http::ResponseWriter& writer);
    void servePlaylist(Asset& asset, const std::shared_ptr<Resource>& resource,
                       const http::HttpRequest& request, http::ResponseWriter& writer);
    void serveFile(Asset& asset, const std::shared_ptr<Resource>& resource, const http::HttpRequest& request,
                   http::ResponseWriter& writer, ReadSession& session);
    void serveBody(const http::HttpRequest& request, http::ResponseWriter& writer,
                   const std::string& contentType, const std::string& body);

    SJMediaCacheServer::Options options_;
    std::unique_ptr<MediaCache> cache_;
    http::LoopbackHttpServer server_;
    std::mutex serverMutex_;
    bool serverFailed_ = false;
    std::string token_;
    std::string hostText_;
    std::atomic<bool> active_{true};
    std::atomic<bool> consoleLog_{false};

    std::mutex namingMutex_;
    std::function<std::string(const std::string&)> resolveIdentifier_;
    bool namingFixed_ = false;

    std::mutex saveMutex_;
    std::mutex tasksMutex_;
    std::map<std::string, std::shared_ptr<MCSAssetExporter>> exporters_;
    std::deque<std::weak_ptr<MCSAssetExporter>> waitingExports_;
    std::set<MCSAssetExporter*> runningExports_;
    std::vector<std::shared_ptr<MCSPrefetchTask>> prefetches_;
    bool shutDown_ = false;
};

} // namespace mcs
