#include "platform/SJMediaCacheServer/MediaCache.h"

#include "platform/SJMediaCacheServer/AssetNaming.h"
#include "platform/SJMediaCacheServer/Playlist.h"
#include "platform/SJMediaCacheServer/RetryPolicy.h"
#include "platform/SJMediaCacheServer/http/HttpMessage.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mcs {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kJoinWindow = 1u << 20; // a transfer this close to a position will bring it soon
constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr auto kRecentlyServed = std::chrono::seconds(60);
// Bytes read to tell a playlist by its start: at least the minimum, more when present or
// when the start is blank.
constexpr std::uint64_t kSniffMinimum = 64;
constexpr std::uint64_t kSniffBytes = 1024;

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

bool isLocalHost(const std::string& host) {
    return host == "localhost" || host == "::1" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

std::string lowercaseHost(std::string host) {
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}

// A resource on its entry's own host reaches whatever that name resolves to, as the
// entry did: a service whose name resolves to a local address serves its segments there
// too. Only other hosts named by a remote playlist are kept off local addresses.
bool onEntryHost(const Asset& asset, const std::string& url) {
    const auto parts = parseHttpUrl(url);
    return parts && !asset.entryHost.empty() && lowercaseHost(parts->host) == asset.entryHost;
}

bool isLocalAddress(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        const auto ip = ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
        return (ip >> 24) == 127 || (ip >> 16) == 0xA9FE || ip == 0;
    }
    if (address->sa_family == AF_INET6) {
        const auto& ip = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        if (IN6_IS_ADDR_LOOPBACK(&ip) || IN6_IS_ADDR_UNSPECIFIED(&ip) || IN6_IS_ADDR_LINKLOCAL(&ip)) {
            return true;
        }
        if (IN6_IS_ADDR_V4MAPPED(&ip)) {
            const std::uint8_t* bytes = ip.s6_addr;
            return bytes[12] == 127 || (bytes[12] == 169 && bytes[13] == 254) ||
                   (bytes[12] == 0 && bytes[13] == 0 && bytes[14] == 0 && bytes[15] == 0);
        }
    }
    return false;
}

bool isLoopbackPort(const sockaddr* address, std::uint16_t port) {
    if (address->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127 && ntohs(in->sin_port) == port;
    }
    if (address->sa_family == AF_INET6) {
        const auto* in = reinterpret_cast<const sockaddr_in6*>(address);
        return (IN6_IS_ADDR_LOOPBACK(&in->sin6_addr) || IN6_IS_ADDR_V4MAPPED(&in->sin6_addr)) &&
               ntohs(in->sin6_port) == port;
    }
    return false;
}

// Refuses peers that an upstream request must never reach: the proxy itself, and for
// addresses found in remote playlists, loopback and link-local hosts.
curl_socket_t openSocket(void* context, curlsocktype, curl_sockaddr* address) {
    auto* transfer = static_cast<Transfer*>(context);
    const auto* peer = &address->addr;
    if ((transfer->refusedPort != 0 && isLoopbackPort(peer, transfer->refusedPort)) ||
        (transfer->restrictLocal && isLocalAddress(peer))) {
        transfer->refusedPeer = true;
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

// Failures of a transfer that another attempt may not meet: no connection, a connection
// reset or closed early, a timeout, a TLS handshake cut short, an answer cut short.
bool isTransientCurlError(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_HTTP2:
    case CURLE_PARTIAL_FILE:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_AGAIN:
    case CURLE_HTTP2_STREAM:
    case CURLE_HTTP3:
    case CURLE_QUIC_CONNECT_ERROR:
        return true;
    default:
        return false;
    }
}

// What a reader learns from a transfer that failed or was cancelled (under the lock).
WaitResult failureOf(const Transfer& transfer) {
    WaitResult result{WaitResult::Failed, 0, transfer.httpStatus,
                      transfer.state == Transfer::State::Cancelled || transfer.transient,
                      transfer.storageFailed};
    result.retryAfterSeconds = transfer.retryAfterSeconds;
    return result;
}

void releaseEasyHandle(Transfer& transfer) {
    curl_easy_cleanup(static_cast<CURL*>(transfer.easy));
    curl_slist_free_all(static_cast<curl_slist*>(transfer.headerList));
    transfer.easy = nullptr;
    transfer.headerList = nullptr;
}

void ensureCurl() {
    static const bool initialised = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)initialised;
}

// Makes the cache folder and proves it writable; a folder that is not leaves the cache
// unable to serve (callers then use the original addresses) instead of failing later.
// The folders that name the ones it created go into `unsyncedFolders`.
bool prepareRoot(const std::filesystem::path& root, std::set<std::filesystem::path>& unsyncedFolders) {
    std::vector<std::filesystem::path> missing;
    for (auto folder = root.lexically_normal(); folder.has_relative_path(); folder = folder.parent_path()) {
        if (folder.has_filename()) {
            std::error_code error;
            if (std::filesystem::exists(folder, error) || error) {
                break;
            }
            missing.push_back(folder);
        }
    }
    std::error_code error;
    std::filesystem::create_directories(root, error);
    if (error) {
        return false;
    }
    for (const auto& folder : missing) {
        unsyncedFolders.insert(folder.has_parent_path() ? folder.parent_path() : ".");
    }
    ::chmod(root.c_str(), 0700);
    const auto probe = root / ".write-probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = ::write(fd, "x", 1) == 1 && ::fdatasync(fd) == 0;
    ::close(fd);
    ::unlink(probe.c_str());
    return written;
}

// Makes the names in a folder durable. A folder that is gone names nothing any more, and
// a filesystem that cannot sync folders (EINVAL) offers nothing better.
bool syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

std::optional<std::string> headerValue(const std::vector<std::string>& headers, std::string_view name) {
    for (const auto& line : headers) {
        const auto colon = line.find(':');
        if (colon != std::string::npos &&
            http::equalsIgnoringCase(std::string_view(line).substr(0, colon), name)) {
            return std::string(http::trimWhitespace(std::string_view(line).substr(colon + 1)));
        }
    }
    return std::nullopt;
}

} // namespace

Resource::~Resource() {
    if (fd >= 0) {
        ::close(fd);
    }
}

ReadSession::~ReadSession() {
    std::lock_guard lock(cache_.mutex_);
    cache_.releaseLocked(*this);
}

MediaCache::MediaCache(CacheOptions options)
    : options_(std::move(options)), writable_(prepareRoot(options_.root, unsyncedFolders_)),
      database_(options_.root / "mcs.db") {
    ensureCurl();
    usable_ = writable_ && database_.isOpen();
    configurator_ = options_.upstreamConfigurator;
    loadFromDatabase();
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, 16L);
    fetcher_ = std::thread([this] { fetchLoop(); });
    housekeeper_ = std::thread([this] { housekeepingLoop(); });
}

MediaCache::~MediaCache() {
    stopping_ = true;
    curl_multi_wakeup(multi_);
    fetcher_.join();
    housekeepingWake_.notify_all();
    housekeeper_.join();
    flush();
    curl_multi_cleanup(multi_);
}

void MediaCache::setUpstreamConfigurator(std::function<void(CURL*)> configurator) {
    std::lock_guard lock(commandMutex_);
    configurator_ = std::move(configurator);
}

void MediaCache::setProtectedFolders(std::function<std::set<std::string>()> provider) {
    std::lock_guard lock(housekeepingMutex_);
    protectedFolders_ = std::move(provider);
}

void MediaCache::loadFromDatabase() {
    for (const auto& row : database_.assets()) {
        auto asset = std::make_shared<Asset>();
        asset->folder = row.folder;
        asset->url = row.url;
        asset->playlist = row.playlist;
        asset->kindKnown = row.playlist;
        asset->lastAccess = row.lastAccess;
        asset->entryRid = resourceId(row.url);
        asset->entryName = displayName(row.url);
        const auto parts = parseHttpUrl(row.url);
        asset->allowLocalTargets = parts && isLocalHost(parts->host);
        asset->entryHost = parts ? lowercaseHost(parts->host) : std::string();
        assets_[row.folder] = std::move(asset);
    }
    for (const auto& row : database_.resources()) {
        const auto found = assets_.find(row.folder);
        if (found == assets_.end() || row.rid.find_first_not_of("0123456789abcdef") != std::string::npos ||
            row.extension.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos) {
            continue;
        }
        const bool playlist =
            row.rid == found->second->entryRid ? found->second->playlist.load() : row.extension == "m3u8";
        auto resource = std::make_shared<Resource>(
            row.rid, row.url, options_.root / row.folder / (row.rid + "." + row.extension), playlist);
        resource->total = row.total;
        resource->contentType = row.contentType;
        resource->etag = row.etag;
        resource->effectiveUrl = row.effectiveUrl;
        resource->present = RangeSet::deserialize(row.ranges);
        struct stat info {};
        if (::stat(resource->file.c_str(), &info) != 0) {
            resource->present.clear(); // the file is gone: nothing of it is cached
        } else {
            // A file shorter than its recorded runs (cut by a crash or by hand) has only
            // the bytes it still holds.
            resource->present.truncate(static_cast<std::uint64_t>(info.st_size));
        }
        resource->dirty = false;
        found->second->resources[row.rid] = std::move(resource);
    }
}

std::shared_ptr<Asset> MediaCache::registerAsset(const std::string& folder, const std::string& url,
                                                 bool playlist) {
    std::lock_guard lock(mutex_);
    const auto now = wallSeconds();
    if (const auto found = assets_.find(folder); found != assets_.end()) {
        found->second->lastAccess = now;
        found->second->accessChanged = true;
        return found->second;
    }
    auto asset = std::make_shared<Asset>();
    asset->folder = folder;
    asset->url = url;
    asset->playlist = playlist;
    asset->lastAccess = now;
    asset->entryRid = resourceId(url);
    asset->entryName = displayName(url);
    const auto parts = parseHttpUrl(url);
    asset->allowLocalTargets = parts && isLocalHost(parts->host);
    asset->entryHost = parts ? lowercaseHost(parts->host) : std::string();
    asset->resources[asset->entryRid] = std::make_shared<Resource>(
        asset->entryRid, url, options_.root / folder / (asset->entryRid + "." + storageExtension(url)),
        playlist);
    assets_[folder] = asset;
    database_.saveAsset({folder, url, playlist, now});
    return asset;
}

std::shared_ptr<Asset> MediaCache::asset(const std::string& folder) {
    std::lock_guard lock(mutex_);
    const auto found = assets_.find(folder);
    return found == assets_.end() ? nullptr : found->second;
}

std::shared_ptr<Resource> MediaCache::resource(const Asset& asset, const std::string& rid) {
    std::lock_guard lock(mutex_);
    const auto found = asset.resources.find(rid);
    return found == asset.resources.end() ? nullptr : found->second;
}

std::shared_ptr<Resource> MediaCache::entryResource(const Asset& asset) {
    std::lock_guard lock(mutex_);
    const auto found = asset.resources.find(asset.entryRid);
    if (found != asset.resources.end()) {
        return found->second;
    }
    // Its rows were removed while the asset stayed registered: start it afresh.
    auto entry = std::make_shared<Resource>(
        asset.entryRid, asset.url,
        options_.root / asset.folder / (asset.entryRid + "." + storageExtension(asset.url)), asset.playlist);
    const_cast<Asset&>(asset).resources[asset.entryRid] = entry;
    return entry;
}

std::shared_ptr<Resource> MediaCache::addResource(Asset& asset, const std::string& url, bool playlist) {
    const auto rid = resourceId(url);
    std::lock_guard lock(mutex_);
    auto& slot = asset.resources[rid];
    if (!slot) {
        // Playlists are stored as such whatever their address ends with, so that they are
        // served rewritten again after a restart.
        const auto extension = playlist ? std::string("m3u8") : storageExtension(url);
        slot = std::make_shared<Resource>(rid, url, options_.root / asset.folder / (rid + "." + extension),
                                          playlist);
    }
    return slot;
}

int MediaCache::openFileLocked(Resource& resource) {
    if (resource.fd < 0) {
        const auto folder = resource.file.parent_path();
        std::error_code error;
        if (std::filesystem::create_directories(folder, error)) {
            unsyncedFolders_.insert(folder.parent_path());
        }
        ::chmod(folder.c_str(), 0700);
        resource.fd = ::open(resource.file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (resource.fd >= 0) {
            unsyncedFolders_.insert(folder);
        } else if (errno == EEXIST) {
            resource.fd = ::open(resource.file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        }
    }
    return resource.fd;
}

std::shared_ptr<Transfer> MediaCache::coveringTransferLocked(const Resource& resource,
                                                             std::uint64_t position) const {
    for (const auto& transfer : resource.transfers) {
        if (transfer->state == Transfer::State::Running && !transfer->cancelRequested &&
            transfer->next <= position && (!transfer->stop || position < *transfer->stop) &&
            position - transfer->next <= kJoinWindow) {
            return transfer;
        }
    }
    return nullptr;
}

std::shared_ptr<Transfer> MediaCache::startTransferLocked(const Asset& asset,
                                                          const std::shared_ptr<Resource>& resource,
                                                          std::uint64_t start,
                                                          std::optional<std::uint64_t> stop) {
    auto transfer = std::make_shared<Transfer>();
    transfer->resource = resource;
    transfer->start = start;
    transfer->next = start;
    transfer->stop = stop;
    transfer->restrictLocal =
        !asset.allowLocalTargets && resource->rid != asset.entryRid && !onEntryHost(asset, resource->url);
    transfer->refusedPort = proxyPort_;
    transfer->headers = asset.requestHeaders;
    if (openFileLocked(*resource) < 0) {
        transfer->state = Transfer::State::Failed;
        return transfer;
    }
    resource->transfers.push_back(transfer);
    {
        std::lock_guard lock(commandMutex_);
        toStart_.push_back(transfer);
    }
    wakeFetcher();
    return transfer;
}

void MediaCache::joinLocked(ReadSession& session, const std::shared_ptr<Transfer>& transfer) {
    if (session.joined_ == transfer) {
        return;
    }
    releaseLocked(session);
    session.joined_ = transfer;
    ++transfer->waiters;
}

void MediaCache::releaseLocked(ReadSession& session) {
    auto transfer = std::move(session.joined_);
    session.joined_.reset();
    if (!transfer) {
        return;
    }
    if (--transfer->waiters == 0 && transfer->state == Transfer::State::Running &&
        !transfer->cancelRequested) {
        transfer->cancelRequested = true;
        {
            std::lock_guard lock(commandMutex_);
            toCancel_.push_back(transfer);
        }
        wakeFetcher();
    }
}

void MediaCache::wakeFetcher() {
    curl_multi_wakeup(multi_);
}

WaitResult MediaCache::waitForBytes(const Asset& asset, const std::shared_ptr<Resource>& resource,
                                    std::uint64_t position, std::optional<std::uint64_t> limit,
                                    ReadSession& session, const std::function<bool()>& abandon) {
    std::unique_lock lock(mutex_);
    auto lastProgress = Clock::now();
    std::uint64_t lastNext = 0;
    while (true) {
        if (resource->total && position >= *resource->total) {
            return {WaitResult::End};
        }
        if (auto available = resource->present.contiguousFrom(position); available > 0) {
            if (resource->total) {
                available = std::min(available, *resource->total - position);
            }
            return {WaitResult::Ready, available};
        }
        if (session.joined_ && (session.joined_->state == Transfer::State::Failed ||
                                session.joined_->state == Transfer::State::Cancelled)) {
            const WaitResult failed = failureOf(*session.joined_);
            releaseLocked(session);
            return failed;
        }
        auto transfer = coveringTransferLocked(*resource, position);
        if (!transfer) {
            std::optional<std::uint64_t> stop = limit;
            if (resource->total) {
                stop = std::min(stop.value_or(*resource->total), *resource->total);
            }
            if (std::uint64_t present = 0; resource->present.nextPresent(position, present)) {
                stop = std::min(stop.value_or(present), present);
            }
            transfer = startTransferLocked(asset, resource, position, stop);
            if (transfer->state == Transfer::State::Failed) {
                return {WaitResult::Failed, 0, 0, false, true};
            }
        }
        joinLocked(session, transfer);
        if (abandon && abandon()) {
            releaseLocked(session);
            return {WaitResult::Cancelled};
        }
        resource->changed.wait_for(lock, kPollInterval);
        if (session.joined_ && session.joined_->next != lastNext) {
            lastNext = session.joined_->next;
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress >
                   std::chrono::duration<double>(options_.stallTimeoutSeconds)) {
            releaseLocked(session);
            return {WaitResult::TimedOut};
        }
    }
}

WaitResult MediaCache::waitForLength(const Asset& asset, const std::shared_ptr<Resource>& resource,
                                     std::uint64_t position, std::optional<std::uint64_t> stop,
                                     ReadSession& session, const std::function<bool()>& abandon) {
    std::unique_lock lock(mutex_);
    const auto started = Clock::now();
    while (true) {
        if (resource->total) {
            return {WaitResult::Ready};
        }
        if (session.joined_ && (session.joined_->state == Transfer::State::Failed ||
                                session.joined_->state == Transfer::State::Cancelled)) {
            const WaitResult failed = failureOf(*session.joined_);
            releaseLocked(session);
            return failed;
        }
        if (!session.joined_ || session.joined_->state != Transfer::State::Running) {
            auto transfer = coveringTransferLocked(*resource, position);
            if (!transfer) {
                transfer = startTransferLocked(asset, resource, position, stop);
                if (transfer->state == Transfer::State::Failed) {
                    return {WaitResult::Failed, 0, 0, false, true};
                }
            }
            joinLocked(session, transfer);
        }
        if (abandon && abandon()) {
            releaseLocked(session);
            return {WaitResult::Cancelled};
        }
        resource->changed.wait_for(lock, kPollInterval);
        if (Clock::now() - started > std::chrono::duration<double>(options_.stallTimeoutSeconds)) {
            releaseLocked(session);
            return {WaitResult::TimedOut};
        }
    }
}

WaitResult MediaCache::fill(const Asset& asset, const std::shared_ptr<Resource>& resource,
                            std::uint64_t start, std::optional<std::uint64_t> stop,
                            const std::function<bool()>& abandon) {
    ReadSession session(*this);
    return fill(asset, resource, start, stop, session, abandon);
}

WaitResult MediaCache::fill(const Asset& asset, const std::shared_ptr<Resource>& resource,
                            std::uint64_t start, std::optional<std::uint64_t> stop, ReadSession& session,
                            const std::function<bool()>& abandon) {
    while (true) {
        std::uint64_t position = start;
        {
            std::lock_guard lock(mutex_);
            const auto end = stop ? stop : resource->total;
            if (end) {
                if (!resource->present.firstMissing(start, *end, position)) {
                    return {WaitResult::Ready};
                }
            } else {
                position = start + resource->present.contiguousFrom(start);
            }
        }
        const auto result = waitForBytes(asset, resource, position, stop, session, abandon);
        if (result.kind == WaitResult::End) {
            return {WaitResult::Ready};
        }
        if (result.kind != WaitResult::Ready) {
            return result;
        }
    }
}

WaitResult MediaCache::loadWhole(const Asset& asset, const std::shared_ptr<Resource>& resource,
                                 std::string& text, std::size_t maxBytes,
                                 const std::function<bool()>& abandon) {
    // One session throughout, so the request that brought the length brings the rest.
    ReadSession session(*this);
    const auto length = waitForLength(asset, resource, 0, std::nullopt, session, abandon);
    if (length.kind != WaitResult::Ready) {
        return length;
    }
    if (*totalOf(*resource) > maxBytes) {
        return {WaitResult::Failed, 0, 0, false};
    }
    const auto filled = fill(asset, resource, 0, std::nullopt, session, abandon);
    if (filled.kind != WaitResult::Ready) {
        return filled;
    }
    int fd;
    std::uint64_t total;
    {
        std::lock_guard lock(mutex_);
        fd = openFileLocked(*resource);
        total = resource->total.value_or(0);
    }
    text.resize(total);
    std::uint64_t done = 0;
    while (done < total) {
        const auto n = ::pread(fd, text.data() + done, total - done, static_cast<off_t>(done));
        if (n <= 0) {
            return {WaitResult::Failed, 0, 0, true};
        }
        done += static_cast<std::uint64_t>(n);
    }
    return {WaitResult::Ready, total};
}

WaitResult MediaCache::decideKind(Asset& asset, const std::shared_ptr<Resource>& entry, std::uint64_t start,
                                  std::optional<std::uint64_t> stop, ReadSession& session,
                                  const std::function<bool()>& abandon) {
    {
        std::lock_guard lock(mutex_);
        if (asset.playlist || asset.kindKnown) {
            return {WaitResult::Ready};
        }
    }
    // The request that brings the length brings the first bytes too when the caller reads
    // from the start; otherwise a small one asks for them.
    const auto known = start == 0 ? waitForLength(asset, entry, 0, stop, session, abandon)
                                  : waitForLength(asset, entry, 0, kSniffBytes, session, abandon);
    if (known.kind != WaitResult::Ready) {
        return known;
    }
    bool playlist = hls::isPlaylistContentType(contentTypeOf(*entry));
    const auto total = *totalOf(*entry);
    for (auto wanted = std::min(total, kSniffMinimum); !playlist;) {
        const auto filled = fill(asset, entry, 0, wanted, session, abandon);
        if (filled.kind != WaitResult::Ready) {
            return filled;
        }
        std::string head(std::min(contiguousBytes(*entry), kSniffBytes), '\0');
        const int fd = fileDescriptor(*entry);
        if (fd < 0 || ::pread(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size())) {
            return {WaitResult::Failed, 0, 0, true};
        }
        playlist = hls::looksLikePlaylist(head);
        // Only a start of blank lines leaves the answer open: look a little further.
        const bool blank = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF") == std::string::npos;
        const auto limit = std::min(total, kSniffBytes);
        if (playlist || !blank || head.size() >= limit) {
            break;
        }
        wanted = limit;
    }
    double lastAccess;
    {
        std::lock_guard lock(mutex_);
        asset.kindKnown = true;
        asset.playlist = asset.playlist || playlist;
        entry->playlist = entry->playlist || playlist;
        lastAccess = asset.lastAccess;
    }
    if (playlist) {
        database_.saveAsset({asset.folder, asset.url, true, lastAccess});
    }
    return {WaitResult::Ready};
}

void MediaCache::setRequestHeaders(Asset& asset, std::shared_ptr<const HeaderFields> headers) {
    std::lock_guard lock(mutex_);
    asset.requestHeaders = std::move(headers);
}

void MediaCache::invalidate(const std::shared_ptr<Resource>& resource) {
    std::lock_guard lock(mutex_);
    resource->present.clear();
    resource->total.reset();
    resource->etag.clear();
    resource->dirty = true;
    if (resource->fd >= 0) {
        [[maybe_unused]] const int truncated = ::ftruncate(resource->fd, 0);
    }
}

std::uint64_t MediaCache::bytesOf(const std::set<std::string>& folders) {
    std::lock_guard lock(mutex_);
    std::uint64_t total = 0;
    for (const auto& folder : folders) {
        const auto found = assets_.find(folder);
        if (found == assets_.end()) {
            continue;
        }
        for (const auto& [rid, resource] : found->second->resources) {
            total += resource->present.totalBytes();
        }
    }
    return total;
}

std::uint64_t MediaCache::presentBytes(const Resource& resource, std::uint64_t start,
                                       std::optional<std::uint64_t> stop) {
    std::lock_guard lock(mutex_);
    const auto end = stop ? stop : resource.total;
    return end ? resource.present.bytesWithin(start, *end) : 0;
}

std::uint64_t MediaCache::contiguousBytes(const Resource& resource) {
    std::lock_guard lock(mutex_);
    return resource.present.contiguousFrom(0);
}

std::optional<std::uint64_t> MediaCache::totalOf(const Resource& resource) {
    std::lock_guard lock(mutex_);
    return resource.total;
}

int MediaCache::fileDescriptor(Resource& resource) {
    std::lock_guard lock(mutex_);
    return openFileLocked(resource);
}

std::string MediaCache::effectiveUrlOf(const Resource& resource) {
    std::lock_guard lock(mutex_);
    return resource.effectiveUrl.empty() ? resource.url : resource.effectiveUrl;
}

std::string MediaCache::contentTypeOf(const Resource& resource) {
    std::lock_guard lock(mutex_);
    return resource.contentType;
}

void MediaCache::beginReading(Asset& asset) {
    std::lock_guard lock(mutex_);
    ++asset.readers;
    asset.lastServed = Clock::now();
    asset.lastAccess = wallSeconds();
    asset.accessChanged = true;
}

void MediaCache::endReading(Asset& asset) {
    std::lock_guard lock(mutex_);
    --asset.readers;
    asset.lastServed = Clock::now();
}

void MediaCache::pin(Asset& asset, int delta) {
    std::lock_guard lock(mutex_);
    asset.pins += delta;
}

void MediaCache::removeAsset(const std::string& folder) {
    {
        std::lock_guard lock(mutex_);
        const auto found = assets_.find(folder);
        if (found == assets_.end()) {
            return;
        }
        auto asset = found->second;
        for (auto& [rid, resource] : asset->resources) {
            for (auto& transfer : resource->transfers) {
                if (!transfer->cancelRequested) {
                    transfer->cancelRequested = true;
                    std::lock_guard commands(commandMutex_);
                    toCancel_.push_back(transfer);
                }
            }
            resource->present.clear();
            resource->changed.notify_all();
        }
        assets_.erase(found);
    }
    wakeFetcher();
    database_.deleteAsset(folder);
    std::error_code error;
    std::filesystem::remove_all(options_.root / folder, error);
}

bool MediaCache::removableLocked(const Asset& asset, const std::set<std::string>& keep) const {
    if (keep.count(asset.folder) != 0 || asset.readers > 0 || asset.pins > 0) {
        return false;
    }
    if (asset.lastServed != Clock::time_point{} && Clock::now() - asset.lastServed < kRecentlyServed) {
        return false;
    }
    for (const auto& [rid, resource] : asset.resources) {
        if (!resource->transfers.empty()) {
            return false;
        }
    }
    return true;
}

bool MediaCache::clearAsset(const std::string& folder, const std::set<std::string>& keep) {
    {
        std::lock_guard lock(mutex_);
        const auto found = assets_.find(folder);
        if (found == assets_.end() || !removableLocked(*found->second, keep)) {
            return false;
        }
        for (auto& [rid, resource] : found->second->resources) {
            resource->present.clear();
            resource->total.reset();
            resource->etag.clear();
            resource->effectiveUrl.clear();
            resource->dirty = false;
            if (resource->fd >= 0) {
                ::close(resource->fd);
                resource->fd = -1;
            }
        }
        std::error_code error;
        std::filesystem::remove_all(options_.root / folder, error);
    }
    database_.deleteResources(folder);
    return true;
}

std::size_t MediaCache::removeRemovable(const std::set<std::string>& keep) {
    std::vector<std::string> folders;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [folder, asset] : assets_) {
            folders.push_back(folder);
        }
    }
    std::size_t cleared = 0;
    for (const auto& folder : folders) {
        cleared += clearAsset(folder, keep) ? 1 : 0;
    }
    return cleared;
}

void MediaCache::enforceLimit(const std::set<std::string>& keep) {
    std::vector<std::pair<double, std::string>> candidates;
    std::uint64_t removable = 0;
    std::map<std::string, std::uint64_t> sizes;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [folder, asset] : assets_) {
            if (keep.count(folder) != 0) {
                continue;
            }
            std::uint64_t size = 0;
            for (const auto& [rid, resource] : asset->resources) {
                size += resource->present.totalBytes();
            }
            removable += size;
            if (size > 0 && removableLocked(*asset, keep)) {
                candidates.emplace_back(asset->lastAccess, folder);
                sizes[folder] = size;
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const auto& [access, folder] : candidates) {
        if (removable <= options_.removableCacheLimit) {
            break;
        }
        if (clearAsset(folder, keep)) {
            removable -= sizes[folder];
        }
    }
}

bool MediaCache::flush() {
    std::lock_guard flushing(flushMutex_);
    std::vector<ResourceRow> rows;
    std::vector<std::shared_ptr<Resource>> synced;
    std::vector<std::pair<std::string, double>> accesses;
    std::set<std::filesystem::path> folders;
    {
        std::lock_guard lock(mutex_);
        // Every file of the rows below was created before this: its folder is here, or
        // was synced by an earlier flush.
        folders.swap(unsyncedFolders_);
        for (const auto& [folder, asset] : assets_) {
            if (asset->accessChanged) {
                accesses.emplace_back(folder, asset->lastAccess);
                asset->accessChanged = false;
            }
            for (const auto& [rid, resource] : asset->resources) {
                if (!resource->dirty || (resource->present.empty() && resource->fd < 0)) {
                    continue;
                }
                resource->dirty = false;
                rows.push_back({folder, rid, resource->url, resource->effectiveUrl,
                                resource->file.extension().string().substr(1), resource->total,
                                resource->contentType, resource->etag, resource->present.serialize()});
                synced.push_back(resource);
            }
        }
    }
    // The bytes recorded in the rows were written before the snapshot: make them
    // durable first, so the database never claims bytes a crash could lose. A file that
    // cannot be synced keeps its old row and is tried again at the next flush.
    bool durable = true;
    std::vector<ResourceRow> durableRows;
    std::vector<std::shared_ptr<Resource>> recorded;
    for (std::size_t i = 0; i < synced.size(); ++i) {
        int fd;
        {
            std::lock_guard lock(mutex_);
            fd = synced[i]->fd;
        }
        if (fd >= 0 && ::fdatasync(fd) != 0) {
            durable = false;
            std::lock_guard lock(mutex_);
            synced[i]->dirty = true;
            continue;
        }
        if (fd >= 0) {
            reportSynced(synced[i]->file);
        }
        durableRows.push_back(std::move(rows[i]));
        recorded.push_back(synced[i]);
    }
    // Nor does it record a file whose name a crash could lose: the folders that hold the
    // new files, and those that hold new folders, are synced first. Until they are, no row
    // is written.
    std::set<std::filesystem::path> unsynced;
    for (const auto& folder : folders) {
        if (syncFolder(folder)) {
            reportSynced(folder);
        } else {
            unsynced.insert(folder);
        }
    }
    if (!unsynced.empty()) {
        std::lock_guard lock(mutex_);
        unsyncedFolders_.merge(unsynced);
        for (const auto& resource : recorded) {
            resource->dirty = true;
        }
        database_.touchAssets(accesses);
        return false;
    }
    if (!database_.saveResources(durableRows)) {
        durable = false;
        std::lock_guard lock(mutex_);
        for (const auto& resource : recorded) {
            resource->dirty = true;
        }
    }
    database_.touchAssets(accesses);
    return durable;
}

bool MediaCache::syncFile(Resource& resource) {
    int fd;
    {
        std::lock_guard lock(mutex_);
        fd = openFileLocked(resource);
    }
    if (fd < 0 || ::fdatasync(fd) != 0) {
        return false;
    }
    reportSynced(resource.file);
    return true;
}

void MediaCache::reportSynced(const std::filesystem::path& path) {
    if (options_.didSync) {
        options_.didSync(path);
    }
}

void MediaCache::housekeepingLoop() {
    std::unique_lock lock(housekeepingMutex_);
    while (!stopping_) {
        housekeepingWake_.wait_for(lock, std::chrono::seconds(1));
        if (stopping_) {
            break;
        }
        auto provider = protectedFolders_;
        lock.unlock();
        flush();
        enforceLimit(provider ? provider() : std::set<std::string>{});
        lock.lock();
    }
}

// The fetcher thread.

std::size_t MediaCache::headerCallback(char* data, std::size_t size, std::size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (line.rfind("HTTP/", 0) == 0) {
        transfer->responseHeaders.clear(); // a new response (after a redirect or an interim answer)
    } else if (!line.empty() && transfer->responseHeaders.size() < 200) {
        transfer->responseHeaders.push_back(std::move(line));
    }
    return size * count;
}

std::size_t MediaCache::writeCallback(char* data, std::size_t size, std::size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    auto* cache = static_cast<MediaCache*>(nullptr);
    curl_easy_getinfo(static_cast<CURL*>(transfer->easy), CURLINFO_PRIVATE, &cache);
    return cache->onData(*transfer, data, size * count);
}

bool MediaCache::acceptResponse(Transfer& transfer) {
    auto* easy = static_cast<CURL*>(transfer.easy);
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    std::optional<std::uint64_t> total;
    if (code == 206) {
        const auto value = headerValue(transfer.responseHeaders, "Content-Range");
        const auto range = value ? http::parseContentRange(*value) : std::nullopt;
        if (!range || !range->range || range->range->first > transfer.start) {
            transfer.httpStatus = 502;
            return false;
        }
        transfer.skip = transfer.start - range->range->first;
        total = range->total;
    } else if (code == 200) {
        transfer.skip = transfer.start;
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length >= 0) {
            total = static_cast<std::uint64_t>(length);
        }
    } else {
        transfer.httpStatus = static_cast<int>(code);
        transfer.transient = isTransientStatus(transfer.httpStatus);
        if (const auto retryAfter = headerValue(transfer.responseHeaders, "Retry-After")) {
            transfer.retryAfterSeconds = parseRetryAfter(*retryAfter, std::time(nullptr));
        }
        return false;
    }
    const auto etag = headerValue(transfer.responseHeaders, "ETag").value_or("");
    const auto contentType = headerValue(transfer.responseHeaders, "Content-Type").value_or("");
    char* effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    std::lock_guard lock(mutex_);
    auto& resource = *transfer.resource;
    const bool changed =
        !resource.present.empty() && ((!etag.empty() && !resource.etag.empty() && etag != resource.etag) ||
                                      (total && resource.total && *total != *resource.total));
    if (changed) {
        // The origin's file is not the one cached: forget the old bytes.
        resource.present.clear();
        if (resource.fd >= 0) {
            [[maybe_unused]] const int truncated = ::ftruncate(resource.fd, 0);
        }
    }
    if (total) {
        resource.total = total;
    }
    if (!etag.empty()) {
        resource.etag = etag;
    }
    if (!contentType.empty()) {
        resource.contentType = contentType;
    }
    if (effective != nullptr) {
        resource.effectiveUrl = effective;
    }
    resource.dirty = true;
    resource.changed.notify_all();
    return true;
}

std::size_t MediaCache::onData(Transfer& transfer, const char* data, std::size_t size) {
    if (!transfer.checkedHeaders) {
        transfer.checkedHeaders = true;
        if (!acceptResponse(transfer)) {
            return 0;
        }
    }
    std::size_t offset = 0;
    if (transfer.skip > 0) {
        const auto skipped = static_cast<std::size_t>(std::min<std::uint64_t>(transfer.skip, size));
        transfer.skip -= skipped;
        offset = skipped;
        if (offset == size) {
            return size;
        }
    }
    std::size_t length = size - offset;
    if (transfer.stop) {
        if (transfer.next >= *transfer.stop) {
            transfer.reachedStop = true;
            return 0;
        }
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, *transfer.stop - transfer.next));
    }
    const int fd = transfer.resource->fd;
    std::size_t written = 0;
    while (written < length) {
        const auto n = ::pwrite(fd, data + offset + written, length - written,
                                static_cast<off_t>(transfer.next + written));
        if (n < 0) {
            transfer.errorText = "cannot write the cache file";
            transfer.storageFailed = true;
            return 0;
        }
        written += static_cast<std::size_t>(n);
    }
    {
        std::lock_guard lock(mutex_);
        auto& resource = *transfer.resource;
        resource.present.add(transfer.next, transfer.next + length);
        transfer.next += length;
        resource.dirty = true;
        resource.changed.notify_all();
    }
    if (transfer.stop && transfer.next >= *transfer.stop) {
        transfer.reachedStop = true;
        if (offset + length < size) {
            return 0; // the origin sends more than asked: stop here
        }
    }
    return size;
}

void MediaCache::addEasyHandle(const std::shared_ptr<Transfer>& transfer) {
    CURL* easy = curl_easy_init();
    transfer->easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, transfer->resource->url.c_str());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &MediaCache::writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &MediaCache::headerCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1024L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A transfer cancelled or timed out while the system still looks its host up leaves
    // the lookup's thread to finish on its own: this thread drives every other transfer
    // and must not wait for a slow resolver, with or without a configurator.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, ""); // origins directly, whatever the environment names
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Orvex-MediaCache/1");
    // An HTTPS origin that speaks HTTP/2 carries every transfer to it on one connection:
    // a transfer waits for the first connection's protocol rather than opening another.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    curl_easy_setopt(easy, CURLOPT_PIPEWAIT, 1L);
    if (transfer->start > 0 || transfer->stop) {
        std::string range = std::to_string(transfer->start) + "-";
        if (transfer->stop) {
            range += std::to_string(*transfer->stop - 1);
        }
        curl_easy_setopt(easy, CURLOPT_RANGE, range.c_str());
    }
    std::function<void(CURL*)> configurator;
    {
        std::lock_guard lock(commandMutex_);
        configurator = configurator_;
    }
    if (configurator) {
        configurator(easy);
    }
    // The asset's own fields (those its origin asks for) go after the configurator's.
    if (transfer->headers) {
        curl_slist* list = nullptr;
        for (const auto& [name, value] : *transfer->headers) {
            if (http::equalsIgnoringCase(name, "User-Agent")) {
                curl_easy_setopt(easy, CURLOPT_USERAGENT, value.c_str());
            } else if (!http::equalsIgnoringCase(name, "Range")) { // ranges are the cache's to ask
                // "Name;" is libcurl's way of sending a field with an empty value.
                list = curl_slist_append(list, (name + (value.empty() ? ";" : ": " + value)).c_str());
            }
        }
        transfer->headerList = list;
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);
    }
    // Set after the configurator: nothing may widen what upstream requests can reach.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, transfer.get());
    running_[easy] = transfer;
    curl_multi_add_handle(multi_, easy);
}

void MediaCache::finishTransfer(const std::shared_ptr<Transfer>& transfer, CURLcode code) {
    bool succeeded = false;
    if (!transfer->cancelRequested &&
        (code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer->reachedStop))) {
        succeeded = transfer->checkedHeaders || (transfer->checkedHeaders = true, acceptResponse(*transfer));
    } else if (transfer->httpStatus == 0 && !transfer->cancelRequested) {
        transfer->transient =
            isTransientCurlError(code) && !transfer->refusedPeer && transfer->errorText.empty();
        transfer->errorText = curl_easy_strerror(code);
    }
    std::lock_guard lock(mutex_);
    auto& resource = *transfer->resource;
    if (succeeded) {
        if (!transfer->stop && !resource.total) {
            resource.total = transfer->next; // the answer had no length: it ended here
        }
        const auto end = transfer->stop ? transfer->stop : resource.total;
        if (end && transfer->next < *end) {
            succeeded = false; // the answer ended early
            transfer->transient = true;
        }
    }
    transfer->state = transfer->cancelRequested ? Transfer::State::Cancelled
                      : succeeded               ? Transfer::State::Succeeded
                                                : Transfer::State::Failed;
    resource.transfers.erase(std::remove(resource.transfers.begin(), resource.transfers.end(), transfer),
                             resource.transfers.end());
    resource.dirty = true;
    resource.changed.notify_all();
}

void MediaCache::fetchLoop() {
    while (!stopping_) {
        std::deque<std::shared_ptr<Transfer>> starting;
        std::deque<std::shared_ptr<Transfer>> cancelling;
        {
            std::lock_guard lock(commandMutex_);
            starting.swap(toStart_);
            cancelling.swap(toCancel_);
        }
        for (const auto& transfer : starting) {
            if (transfer->cancelRequested) {
                finishTransfer(transfer, CURLE_ABORTED_BY_CALLBACK);
            } else {
                addEasyHandle(transfer);
            }
        }
        for (const auto& transfer : cancelling) {
            auto* easy = static_cast<CURL*>(transfer->easy);
            if (easy != nullptr && running_.erase(easy) > 0) {
                curl_multi_remove_handle(multi_, easy);
                releaseEasyHandle(*transfer);
                finishTransfer(transfer, CURLE_ABORTED_BY_CALLBACK);
            }
        }
        int active = 0;
        curl_multi_perform(multi_, &active);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            auto* easy = message->easy_handle;
            const auto code = message->data.result;
            const auto found = running_.find(easy);
            if (found == running_.end()) {
                continue;
            }
            auto transfer = found->second;
            running_.erase(found);
            curl_multi_remove_handle(multi_, easy);
            finishTransfer(transfer, code);
            releaseEasyHandle(*transfer);
        }
        curl_multi_poll(multi_, nullptr, 0, 500, nullptr);
    }
    for (auto& [easy, transfer] : running_) {
        curl_multi_remove_handle(multi_, easy);
        releaseEasyHandle(*transfer);
        transfer->cancelRequested = true;
        finishTransfer(transfer, CURLE_ABORTED_BY_CALLBACK);
    }
    running_.clear();
    std::lock_guard lock(commandMutex_);
    for (const auto& transfer : toStart_) {
        transfer->cancelRequested = true;
        finishTransfer(transfer, CURLE_ABORTED_BY_CALLBACK);
    }
    toStart_.clear();
}

} // namespace mcs
