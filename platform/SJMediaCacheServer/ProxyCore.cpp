#include "platform/SJMediaCacheServer/ProxyCore.h"

#include "platform/Foundation/Log.h"
#include "platform/SJMediaCacheServer/AssetNaming.h"
#include "platform/SJMediaCacheServer/RequestHeaders.h"

#include <algorithm>
#include <sys/random.h>

namespace mcs {

namespace {

constexpr std::uint64_t kMaxChunk = 8u << 20;

std::string randomToken() {
    unsigned char bytes[16] = {};
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        const auto n = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (n > 0) {
            filled += static_cast<std::size_t>(n);
        }
    }
    static constexpr char hex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : bytes) {
        token += hex[byte >> 4];
        token += hex[byte & 15];
    }
    return token;
}

bool constantTimeEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

bool isHex(std::string_view text, std::size_t length) {
    return text.size() == length && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t position = 1;
    while (position <= path.size()) {
        const auto slash = path.find('/', position);
        const auto end = slash == std::string_view::npos ? path.size() : slash;
        parts.push_back(path.substr(position, end - position));
        position = end + 1;
    }
    return parts;
}

std::string contentTypeForExtension(const std::string& extension) {
    if (extension == "m3u8" || extension == "m3u") {
        return "application/vnd.apple.mpegurl";
    }
    if (extension == "ts") {
        return "video/mp2t";
    }
    if (extension == "mp4" || extension == "m4s" || extension == "m4v" || extension == "mov") {
        return "video/mp4";
    }
    if (extension == "m4a") {
        return "audio/mp4";
    }
    if (extension == "aac") {
        return "audio/aac";
    }
    if (extension == "mp3") {
        return "audio/mpeg";
    }
    if (extension == "vtt" || extension == "webvtt") {
        return "text/vtt";
    }
    return "application/octet-stream";
}

// Upstream trouble as the player should see it.
int statusForFailure(const WaitResult& result) {
    if (result.kind == WaitResult::TimedOut) {
        return 504;
    }
    if (result.httpStatus == 404 || result.httpStatus == 410) {
        return 404;
    }
    if (result.httpStatus == 401 || result.httpStatus == 403) {
        return 403;
    }
    return 502;
}

bool isPlaylistRole(hls::UriRole role) {
    return role == hls::UriRole::Variant || role == hls::UriRole::IFrameVariant ||
           role == hls::UriRole::Rendition;
}

// The last segment of a playlist's proxy address ends in ".m3u8", also when its origin's
// address does not say what it is: players and their callers tell HLS by that ending.
std::string playlistName(const std::string& name) {
    const auto dot = name.rfind('.');
    const auto extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    return extension == "m3u8" || extension == "m3u" ? name : name + ".m3u8";
}

} // namespace

ProxyCore::ProxyCore(SJMediaCacheServer::Options options)
    : options_(std::move(options)), token_(randomToken()) {
    CacheOptions cacheOptions;
    cacheOptions.root = options_.cacheRoot;
    cacheOptions.removableCacheLimit = options_.removableCacheLimit;
    cacheOptions.stallTimeoutSeconds = options_.stallTimeoutSeconds;
    cacheOptions.upstreamConfigurator = options_.upstreamConfigurator;
    cache_ = std::make_unique<MediaCache>(cacheOptions);
}

void ProxyCore::loadExporters() {
    cache_->setProtectedFolders([weak = weak_from_this()] {
        const auto core = weak.lock();
        return core ? core->exportFolders() : std::set<std::string>{};
    });
    std::lock_guard lock(tasksMutex_);
    for (auto row : cache_->database().exporters()) {
        if (row.status == MCSAssetExportStatusWaiting || row.status == MCSAssetExportStatusExporting) {
            // Interrupted by the end of the last process: continues when resumed.
            row.status = MCSAssetExportStatusSuspended;
            cache_->database().saveExporter(row);
        }
        auto exporter = std::make_shared<MCSAssetExporter>(weak_from_this(), row.urlString, row.name,
                                                           row.status, static_cast<float>(row.progress));
        if (const auto headers = parseHeaderFields(row.headers); headers && !headers->empty()) {
            exporter->setRequestHeaders(std::make_shared<const HeaderFields>(*headers));
        }
        exporters_[row.urlString] = std::move(exporter);
    }
}

ProxyCore::~ProxyCore() {
    shutdown();
}

void ProxyCore::shutdown() {
    std::map<std::string, std::shared_ptr<MCSAssetExporter>> exporters;
    std::vector<std::shared_ptr<MCSPrefetchTask>> prefetches;
    {
        std::lock_guard lock(tasksMutex_);
        if (shutDown_) {
            return;
        }
        shutDown_ = true;
        exporters = exporters_;
        prefetches.swap(prefetches_);
        waitingExports_.clear();
    }
    for (auto& task : prefetches) {
        task->cancel();
        task->waitUntilDone();
    }
    for (auto& [url, exporter] : exporters) {
        exporter->stopForShutdown();
    }
    server_.stop();
    cache_.reset();
}

bool ProxyCore::ensureServing() {
    std::lock_guard lock(serverMutex_);
    if (server_.running()) {
        return true;
    }
    if (serverFailed_) {
        return false;
    }
    if (!server_.start([this](const auto& request, auto& writer) { handle(request, writer); })) {
        serverFailed_ = true;
        log("media cache: cannot listen on 127.0.0.1");
        return false;
    }
    hostText_ = "127.0.0.1:" + std::to_string(server_.port());
    cache_->setProxyPort(server_.port());
    return true;
}

void ProxyCore::log(const std::string& line) const {
    if (consoleLog_) {
        consoleLog("[SJMediaCacheServer] " + line);
    }
}

void ProxyCore::setResolveAssetIdentifier(std::function<std::string(const std::string&)> block) {
    std::lock_guard lock(namingMutex_);
    if (namingFixed_) {
        log("asset naming is already in use; the new rule is ignored");
        return;
    }
    resolveIdentifier_ = std::move(block);
}

std::string ProxyCore::folderFor(const std::string& url) {
    std::function<std::string(const std::string&)> rule;
    {
        std::lock_guard lock(namingMutex_);
        namingFixed_ = true;
        rule = resolveIdentifier_;
    }
    const auto identifier = rule ? rule(url) : defaultAssetIdentifier(url);
    const auto parts = parseHttpUrl(url);
    return assetFolderName(identifier, parts ? parts->query : std::string(), hasPlaylistExtension(url));
}

std::shared_ptr<Asset> ProxyCore::assetFor(const std::string& url, const std::string& folder) {
    if (!folder.empty()) {
        if (auto existing = cache_->asset(folder)) {
            return existing;
        }
        return cache_->registerAsset(folder, url, hasPlaylistExtension(url));
    }
    {
        // An export is found by the exact text it was made with, whatever the naming.
        std::lock_guard lock(tasksMutex_);
        if (const auto found = exporters_.find(url); found != exporters_.end()) {
            auto existing = cache_->asset(found->second->name());
            if (!existing) {
                existing = cache_->registerAsset(found->second->name(), url, hasPlaylistExtension(url));
            }
            if (auto headers = found->second->requestHeaders()) {
                cache_->setRequestHeaders(*existing, std::move(headers));
            }
            return existing;
        }
    }
    return cache_->registerAsset(folderFor(url), url, hasPlaylistExtension(url));
}

std::string ProxyCore::proxyURL(const Asset& asset, const std::string& rid, const std::string& name) const {
    return "http://" + hostText_ + "/" + token_ + "/" + asset.folder + "/" + rid + "/" + name;
}

std::optional<std::string> ProxyCore::playbackURL(const std::string& url) {
    if (!parseHttpUrl(url) || !cache_->usable() || !ensureServing()) {
        return std::nullopt;
    }
    const auto asset = assetFor(url);
    return proxyURL(*asset, asset->entryRid,
                    asset->playlist ? playlistName(asset->entryName) : asset->entryName);
}

std::optional<std::string> ProxyCore::playbackURLPrefix() {
    std::lock_guard lock(serverMutex_);
    if (!server_.running()) {
        return std::nullopt;
    }
    return "http://" + hostText_ + "/" + token_ + "/";
}

std::shared_ptr<MCSPrefetchTask>
ProxyCore::prefetch(const std::string& url, std::uint64_t preloadSize, std::function<void(float)> progress,
                    std::function<void(const std::optional<NSError>&)> completed) {
    if (!parseHttpUrl(url) || !cache_->usable()) {
        return nullptr;
    }
    auto task = std::make_shared<MCSPrefetchTask>(weak_from_this(), url, preloadSize, std::move(progress),
                                                  std::move(completed));
    {
        std::lock_guard lock(tasksMutex_);
        if (shutDown_) {
            return nullptr;
        }
        std::erase_if(prefetches_, [](const auto& running) { return running->isFinished(); });
        prefetches_.push_back(task);
    }
    task->start();
    return task;
}

std::shared_ptr<MCSAssetExporter> ProxyCore::exporter(const std::string& url, const HeaderFields* headers) {
    if (!parseHttpUrl(url)) {
        return nullptr;
    }
    if (headers != nullptr && !validHeaderFields(*headers)) {
        log("export refused: a request header field holds a line break or an invalid name");
        return nullptr;
    }
    std::shared_ptr<MCSAssetExporter> exporter;
    {
        std::lock_guard lock(tasksMutex_);
        if (shutDown_) {
            return nullptr;
        }
        auto& slot = exporters_[url];
        if (!slot) {
            slot = std::make_shared<MCSAssetExporter>(weak_from_this(), url, folderFor(url),
                                                      MCSAssetExportStatusUnknown, 0.0f);
        } else if (headers == nullptr) {
            return slot;
        }
        exporter = slot;
    }
    if (headers != nullptr) {
        auto fields = std::make_shared<const HeaderFields>(*headers);
        exporter->setRequestHeaders(fields);
        if (const auto asset = cache_->asset(exporter->name())) {
            cache_->setRequestHeaders(*asset, std::move(fields));
        }
    }
    saveExporter(*exporter);
    return exporter;
}

void ProxyCore::saveExporter(const MCSAssetExporter& exporter) {
    if (exporter.removed_) {
        return;
    }
    // One save at a time, each reading the task as it is then: the row written last holds
    // the newest status, whichever thread saves.
    std::lock_guard lock(saveMutex_);
    const auto headers = exporter.requestHeaders();
    cache_->database().saveExporter({exporter.URLString(), exporter.name(), exporter.status(),
                                     exporter.progress(),
                                     headers ? serializeHeaderFields(*headers) : std::string()});
}

void ProxyCore::enqueueExport(const std::shared_ptr<MCSAssetExporter>& exporter) {
    {
        std::lock_guard lock(tasksMutex_);
        if (shutDown_) {
            return;
        }
        waitingExports_.push_back(exporter);
    }
    scheduleExports();
}

void ProxyCore::exportEnded(MCSAssetExporter* exporter) {
    {
        std::lock_guard lock(tasksMutex_);
        runningExports_.erase(exporter);
    }
    scheduleExports();
}

void ProxyCore::scheduleExports() {
    std::vector<std::shared_ptr<MCSAssetExporter>> starting;
    {
        std::lock_guard lock(tasksMutex_);
        std::deque<std::weak_ptr<MCSAssetExporter>> later;
        while (!shutDown_ && static_cast<int>(runningExports_.size()) < options_.concurrentExports &&
               !waitingExports_.empty()) {
            auto exporter = waitingExports_.front().lock();
            waitingExports_.pop_front();
            if (!exporter || exporter->status() != MCSAssetExportStatusWaiting) {
                continue;
            }
            if (runningExports_.count(exporter.get()) != 0) {
                later.push_back(exporter); // its previous run is still ending
                continue;
            }
            runningExports_.insert(exporter.get());
            starting.push_back(std::move(exporter));
        }
        waitingExports_.insert(waitingExports_.begin(), later.begin(), later.end());
    }
    for (auto& exporter : starting) {
        exporter->start();
    }
}

void ProxyCore::removeExport(const std::string& url) {
    std::shared_ptr<MCSAssetExporter> exporter;
    bool folderStillUsed = false;
    {
        std::lock_guard lock(tasksMutex_);
        const auto found = exporters_.find(url);
        if (found == exporters_.end()) {
            return;
        }
        exporter = found->second;
        exporters_.erase(found);
        for (const auto& [other, remaining] : exporters_) {
            folderStillUsed = folderStillUsed || remaining->name() == exporter->name();
        }
    }
    exporter->cancelForRemoval();
    {
        std::lock_guard lock(tasksMutex_);
        runningExports_.erase(exporter.get());
    }
    cache_->database().deleteExporter(url);
    if (!folderStillUsed) {
        cache_->removeAsset(exporter->name());
    }
    scheduleExports();
}

std::set<std::string> ProxyCore::exportFolders() {
    std::lock_guard lock(tasksMutex_);
    std::set<std::string> folders;
    for (const auto& [url, exporter] : exporters_) {
        folders.insert(exporter->name());
    }
    return folders;
}

std::uint64_t ProxyCore::exportedBytes() {
    return cache_->bytesOf(exportFolders());
}

void ProxyCore::removeRemovableCaches() {
    const auto removed = cache_->removeRemovable(exportFolders());
    log("removed " + std::to_string(removed) + " cached assets");
}

std::string ProxyCore::rewrite(Asset& asset, const Resource& resource, const std::string& text) {
    const auto playlist = hls::parsePlaylist(text);
    const auto base = cache_->effectiveUrlOf(resource);
    std::set<std::size_t> selection;
    bool reduce = false;
    if (playlist.isMaster && resource.rid == asset.entryRid) {
        std::lock_guard lock(tasksMutex_);
        for (const auto& [url, exporter] : exporters_) {
            reduce = reduce ||
                     (exporter->name() == asset.folder && exporter->status() == MCSAssetExportStatusFinished);
        }
    }
    if (reduce) {
        const auto chosen = hls::chooseExportSelection(playlist);
        selection.insert(chosen.begin(), chosen.end());
    }
    std::map<const hls::UriReference*, std::size_t> indexes;
    for (std::size_t i = 0; i < playlist.uris.size(); ++i) {
        indexes[&playlist.uris[i]] = i;
    }
    const auto keep = [&](const hls::UriReference& reference) {
        if (!reduce || (!isPlaylistRole(reference.role))) {
            return true;
        }
        return selection.count(indexes[&reference]) != 0;
    };
    const auto replace = [&](const hls::UriReference& reference) -> std::optional<std::string> {
        const auto resolved = resolveUrl(base, reference.uri);
        if (!resolved) {
            return std::nullopt; // other schemes (skd:, data:) stay as written
        }
        const bool playlist = isPlaylistRole(reference.role);
        const auto child = cache_->addResource(asset, *resolved, playlist);
        const auto name = displayName(*resolved);
        return proxyURL(asset, child->rid, playlist ? playlistName(name) : name);
    };
    return hls::rewritePlaylist(text, playlist, replace, keep);
}

void ProxyCore::handle(const http::HttpRequest& request, http::ResponseWriter& writer) {
    if (request.method == "CONNECT") {
        writer.respondError(403);
        return;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        writer.respond(405, {{"Allow", "GET, HEAD"}}, {}, true);
        return;
    }
    // Only origin-form targets: no absolute addresses (this is not an open proxy).
    if (request.target.empty() || request.target.front() != '/') {
        writer.respondError(403);
        return;
    }
    // A page in a browser may reach loopback through a name of its own (DNS
    // rebinding) or by a cross-site request: refuse both.
    const auto host = request.header("Host");
    if (!host || *host != hostText_ || request.header("Origin") ||
        request.hasHeaderWithPrefix("Sec-Fetch-")) {
        writer.respondError(403);
        return;
    }
    if (!active_) {
        writer.respondError(503);
        return;
    }
    const std::string_view path = std::string_view(request.target).substr(0, request.target.find('?'));
    const auto parts = splitPath(path);
    if (parts.size() != 4 || !constantTimeEquals(parts[0], token_) || !isHex(parts[1], 32) ||
        !isHex(parts[2], 24)) {
        writer.respondError(404);
        return;
    }
    const auto asset = cache_->asset(std::string(parts[1]));
    const auto resource = asset ? cache_->resource(*asset, std::string(parts[2])) : nullptr;
    if (!resource) {
        writer.respondError(404);
        return;
    }
    cache_->beginReading(*asset);
    // One session for the whole answer: the transfer that told the kind goes on serving.
    ReadSession session(*cache_);
    if (resource->rid == asset->entryRid && !resource->playlist) {
        // The player's first request brings what tells a playlist from other media.
        const auto range = http::evaluateRange(request.header("Range"), UINT64_MAX);
        std::uint64_t start = 0;
        std::optional<std::uint64_t> stop;
        if (range.kind == http::RangeDecision::Partial && range.range.first < UINT64_MAX / 2) {
            start = range.range.first;
            if (range.range.last < UINT64_MAX - 1) {
                stop = range.range.last + 1;
            }
        }
        const auto decided =
            cache_->decideKind(*asset, resource, start, stop, session, [&] { return writer.peerGone(); });
        if (decided.kind != WaitResult::Ready) {
            writer.respondError(statusForFailure(decided));
            cache_->endReading(*asset);
            return;
        }
    }
    if (resource->playlist) {
        servePlaylist(*asset, resource, request, writer);
    } else {
        serveFile(*asset, resource, request, writer, session);
    }
    cache_->endReading(*asset);
}

void ProxyCore::servePlaylist(Asset& asset, const std::shared_ptr<Resource>& resource,
                              const http::HttpRequest& request, http::ResponseWriter& writer) {
    const auto abandon = [&] { return writer.peerGone(); };
    std::string text;
    auto loaded = cache_->loadWhole(asset, resource, text, hls::kMaxPlaylistBytes, abandon);
    if (loaded.kind == WaitResult::Ready && hls::looksLikePlaylist(text) &&
        !hls::parsePlaylist(text).isFinished()) {
        // A live playlist changes: fetch it again unless it is fresh.
        cache_->invalidate(resource);
        loaded = cache_->loadWhole(asset, resource, text, hls::kMaxPlaylistBytes, abandon);
    }
    if (loaded.kind != WaitResult::Ready) {
        log("playlist of asset " + asset.folder + " unavailable");
        writer.respondError(statusForFailure(loaded));
        return;
    }
    if (!hls::looksLikePlaylist(text)) {
        const auto type = cache_->contentTypeOf(*resource);
        serveBody(request, writer, type.empty() ? "application/octet-stream" : type, text);
        return;
    }
    // Players look for "#EXTM3U" at the very start: a byte-order mark or blank lines
    // before it are left out.
    auto rewritten = rewrite(asset, *resource, text);
    rewritten.erase(0, rewritten.find("#EXTM3U"));
    serveBody(request, writer, "application/vnd.apple.mpegurl", rewritten);
}

void ProxyCore::serveBody(const http::HttpRequest& request, http::ResponseWriter& writer,
                          const std::string& contentType, const std::string& body) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"Content-Type", contentType}, {"Accept-Ranges", "bytes"}, {"Cache-Control", "no-store"}};
    const auto decision = http::evaluateRange(request.header("Range"), body.size());
    if (decision.kind == http::RangeDecision::Unsatisfiable) {
        fields.emplace_back("Content-Range", "bytes */" + std::to_string(body.size()));
        writer.respond(416, fields);
        return;
    }
    if (decision.kind == http::RangeDecision::Partial) {
        fields.emplace_back("Content-Range", "bytes " + std::to_string(decision.range.first) + "-" +
                                                 std::to_string(decision.range.last) + "/" +
                                                 std::to_string(body.size()));
        writer.respond(206, fields,
                       std::string_view(body).substr(decision.range.first, decision.range.length()));
        return;
    }
    writer.respond(200, fields, body);
}

void ProxyCore::serveFile(Asset& asset, const std::shared_ptr<Resource>& resource,
                          const http::HttpRequest& request, http::ResponseWriter& writer,
                          ReadSession& session) {
    const auto abandon = [&] { return writer.peerGone(); };
    const auto rangeField = request.header("Range");
    auto total = cache_->totalOf(*resource);
    if (!total) {
        // Start where the player wants to read, so that one upstream request serves both
        // the length and the first bytes.
        const auto guess = http::evaluateRange(rangeField, UINT64_MAX);
        std::uint64_t start = 0;
        std::optional<std::uint64_t> stop;
        if (guess.kind == http::RangeDecision::Partial && guess.range.first < UINT64_MAX / 2) {
            start = guess.range.first;
            if (guess.range.last < UINT64_MAX - 1) {
                stop = guess.range.last + 1;
            }
        }
        const auto known = cache_->waitForLength(asset, resource, start, stop, session, abandon);
        if (known.kind != WaitResult::Ready) {
            writer.respondError(statusForFailure(known));
            return;
        }
        total = cache_->totalOf(*resource);
    }
    const auto decision = http::evaluateRange(rangeField, *total);
    auto contentType = cache_->contentTypeOf(*resource);
    if (contentType.empty()) {
        contentType = contentTypeForExtension(resource->file.extension().string().substr(1));
    }
    std::vector<std::pair<std::string, std::string>> fields = {
        {"Content-Type", contentType}, {"Accept-Ranges", "bytes"}, {"Cache-Control", "no-store"}};
    if (decision.kind == http::RangeDecision::Unsatisfiable) {
        fields.emplace_back("Content-Range", "bytes */" + std::to_string(*total));
        writer.respond(416, fields);
        return;
    }
    std::uint64_t first = 0;
    std::uint64_t end = *total;
    int status = 200;
    if (decision.kind == http::RangeDecision::Partial) {
        status = 206;
        first = decision.range.first;
        end = decision.range.last + 1;
        fields.emplace_back("Content-Range", "bytes " + std::to_string(first) + "-" +
                                                 std::to_string(decision.range.last) + "/" +
                                                 std::to_string(*total));
    }
    fields.emplace_back("Content-Length", std::to_string(end - first));
    if (!writer.sendHead(status, fields) || writer.isHeadRequest()) {
        return;
    }
    std::uint64_t position = first;
    while (position < end) {
        const auto ready = cache_->waitForBytes(asset, resource, position, end, session, abandon);
        if (ready.kind != WaitResult::Ready) {
            writer.requestClose(); // the head is gone: all we can do is end the connection
            return;
        }
        const auto count = std::min({ready.available, end - position, kMaxChunk});
        const int fd = cache_->fileDescriptor(*resource);
        if (fd < 0 || !writer.sendFile(fd, static_cast<off_t>(position), count)) {
            writer.requestClose();
            return;
        }
        position += count;
    }
}

} // namespace mcs
