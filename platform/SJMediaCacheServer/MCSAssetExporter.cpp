#include "platform/SJMediaCacheServer/MCSAssetExporter.h"

#include "platform/Foundation/DispatchQueue.h"
#include "platform/SJMediaCacheServer/AssetNaming.h"
#include "platform/SJMediaCacheServer/FileSyncer.h"
#include "platform/SJMediaCacheServer/ProxyCore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

namespace {

NSError exportError(int code) {
    return NSError{"SJMediaCacheServer", code};
}

// The error a failed wait stands for.
NSError errorOf(const mcs::WaitResult& result) {
    if (result.storage) {
        return exportError(MCSAssetExportErrorStorage);
    }
    return exportError(result.httpStatus != 0 ? result.httpStatus : MCSAssetExportErrorNetwork);
}

// How often a running export reports its progress.
constexpr auto kProgressPeriod = std::chrono::milliseconds(150);

// Upstream connections of all exports of the process.
class ExportConnections {
  public:
    // One more, unless `limit` are in use.
    static bool take(int limit) {
        int current = inUse();
        while (current < limit) {
            if (inUse().compare_exchange_weak(current, current + 1)) {
                return true;
            }
        }
        return false;
    }
    static void takeAnyway() { ++inUse(); }
    static void give() { --inUse(); }

  private:
    static std::atomic<int>& inUse() {
        static std::atomic<int> count{0};
        return count;
    }
};

// One piece an export needs: [start, stop) of a resource (stop unknown: to its end).
struct ExportItem {
    std::shared_ptr<mcs::Resource> resource;
    std::uint64_t start = 0;
    std::optional<std::uint64_t> stop;
};

} // namespace

MCSAssetExporter::MCSAssetExporter(std::weak_ptr<mcs::ProxyCore> core, std::string urlString,
                                   std::string name, int status, float progress)
    : core_(std::move(core)), urlString_(std::move(urlString)), name_(std::move(name)), status_(status),
      progress_(progress), postedProgress_(progress) {}

void MCSAssetExporter::resume() {
    const auto core = core_.lock();
    if (!core) {
        return;
    }
    {
        std::lock_guard lock(jobMutex_);
        const int status = status_;
        if (removed_ || status == MCSAssetExportStatusWaiting || status == MCSAssetExportStatusExporting ||
            status == MCSAssetExportStatusFinished) {
            return;
        }
    }
    setStatus(MCSAssetExportStatusWaiting);
    core->enqueueExport(shared_from_this());
}

void MCSAssetExporter::suspend() {
    {
        std::lock_guard lock(jobMutex_);
        const int status = status_;
        if (status != MCSAssetExportStatusWaiting && status != MCSAssetExportStatusExporting) {
            return;
        }
        cancelled_ = true;
    }
    jobWake_.notify_all();
    setStatus(MCSAssetExportStatusSuspended);
}

std::optional<NSError> MCSAssetExporter::error() const {
    std::lock_guard lock(stateMutex_);
    return error_;
}

std::shared_ptr<const std::map<std::string, std::string>> MCSAssetExporter::requestHeaders() const {
    std::lock_guard lock(stateMutex_);
    return requestHeaders_;
}

void MCSAssetExporter::setRequestHeaders(std::shared_ptr<const std::map<std::string, std::string>> headers) {
    std::lock_guard lock(stateMutex_);
    requestHeaders_ = std::move(headers);
}

void MCSAssetExporter::fail(NSError error) {
    std::lock_guard lock(stateMutex_);
    if (!error_) {
        error_ = std::move(error); // the first cause; what follows is its consequence
    }
}

void MCSAssetExporter::setProgressDidChangeExecuteBlock(Block block) {
    std::lock_guard lock(blockMutex_);
    progressBlock_ = std::move(block);
}

void MCSAssetExporter::setStatusDidChangeExecuteBlock(Block block) {
    std::lock_guard lock(blockMutex_);
    statusBlock_ = std::move(block);
}

void MCSAssetExporter::cancelForRemoval() {
    {
        std::lock_guard lock(jobMutex_);
        removed_ = true;
        cancelled_ = true;
        status_ = MCSAssetExportStatusCancelled;
    }
    {
        std::lock_guard lock(blockMutex_);
        progressBlock_ = nullptr;
        statusBlock_ = nullptr;
    }
    jobWake_.notify_all();
    waitForJob();
}

void MCSAssetExporter::stopForShutdown() {
    {
        std::lock_guard lock(jobMutex_);
        cancelled_ = true;
    }
    jobWake_.notify_all();
    waitForJob();
}

void MCSAssetExporter::waitForJob() {
    std::unique_lock lock(jobMutex_);
    jobWake_.wait(lock, [&] { return !jobRunning_; });
}

void MCSAssetExporter::start() {
    const auto core = core_.lock();
    {
        std::lock_guard lock(jobMutex_);
        if (!core || removed_ || jobRunning_ || status_ != MCSAssetExportStatusWaiting) {
            return;
        }
        jobRunning_ = true;
        cancelled_ = false;
    }
    // The job holds the task and the core until it has ended.
    std::thread([self = shared_from_this(), core] {
        self->run(*core);
        {
            std::lock_guard lock(self->jobMutex_);
            self->jobRunning_ = false;
        }
        self->jobWake_.notify_all();
        core->exportEnded(self.get());
    }).detach();
}

void MCSAssetExporter::run(mcs::ProxyCore& core) {
    {
        std::lock_guard lock(stateMutex_);
        error_.reset();
    }
    setStatus(MCSAssetExportStatusExporting);
    core.log("export of asset " + name_ + " started");
    const bool exported = exportItems(core);
    std::unique_lock lock(jobMutex_);
    if (cancelled_) {
        return; // suspended, removed or shut down: they have set the status
    }
    lock.unlock();
    if (exported) {
        setProgress(1.0f, true);
        setStatus(MCSAssetExportStatusFinished);
        core.log("export of asset " + name_ + " finished");
    } else {
        fail(exportError(MCSAssetExportErrorNetwork));
        setStatus(MCSAssetExportStatusFailed);
        core.log("export of asset " + name_ + " failed");
    }
}

template <typename Operation>
mcs::WaitResult MCSAssetExporter::withRetries(mcs::ProxyCore& core, Operation&& operation) {
    return mcs::retrying(core.retryPolicy(), operation, [&](double seconds) {
        std::unique_lock lock(jobMutex_);
        return !jobWake_.wait_for(lock, std::chrono::duration<double>(seconds),
                                  [&] { return cancelled_.load(); });
    });
}

bool MCSAssetExporter::exportItems(mcs::ProxyCore& core) {
    auto& cache = core.cache();
    if (!cache.usable()) {
        fail(exportError(MCSAssetExportErrorStorage));
        return false;
    }
    const auto asset = core.assetFor(urlString_, name_);
    if (auto headers = requestHeaders()) {
        cache.setRequestHeaders(*asset, std::move(headers));
    }
    cache.pin(*asset, 1);
    struct Unpin {
        mcs::MediaCache& cache;
        mcs::Asset& asset;
        ~Unpin() { cache.pin(asset, -1); }
    } unpin{cache, *asset};

    std::atomic<bool> failed{false};
    const auto abandon = [&] { return cancelled_.load() || failed.load(); };
    const auto loadPlaylist = [&](const std::shared_ptr<mcs::Resource>& resource,
                                  mcs::hls::Playlist& playlist) {
        std::string text;
        const auto loaded = withRetries(core, [&] {
            return cache.loadWhole(*asset, resource, text, mcs::hls::kMaxPlaylistBytes, abandon);
        });
        if (loaded.kind != mcs::WaitResult::Ready) {
            if (loaded.kind != mcs::WaitResult::Cancelled) {
                fail(errorOf(loaded));
            }
            return false;
        }
        playlist = mcs::hls::parsePlaylist(text);
        if (!playlist.valid) {
            fail(exportError(MCSAssetExportErrorUnplayable));
        }
        return playlist.valid;
    };

    std::vector<ExportItem> items;
    const auto entry = cache.entryResource(*asset);
    items.push_back({entry, 0, std::nullopt});
    // An address that does not say it is a playlist may still be one: its answer decides.
    // The session keeps that first transfer going for the export to join.
    mcs::ReadSession kindSession(cache);
    const auto kind = withRetries(
        core, [&] { return cache.decideKind(*asset, entry, 0, std::nullopt, kindSession, abandon); });
    if (kind.kind != mcs::WaitResult::Ready) {
        if (kind.kind != mcs::WaitResult::Cancelled) {
            fail(errorOf(kind));
        }
        return false;
    }
    if (asset->playlist) {
        mcs::hls::Playlist entryPlaylist;
        if (!loadPlaylist(entry, entryPlaylist)) {
            return false;
        }
        std::vector<std::pair<std::shared_ptr<mcs::Resource>, mcs::hls::Playlist>> mediaPlaylists;
        if (entryPlaylist.isMaster) {
            const auto base = cache.effectiveUrlOf(*entry);
            const auto selection = mcs::hls::chooseExportSelection(entryPlaylist);
            if (selection.empty()) {
                fail(exportError(MCSAssetExportErrorUnplayable));
                return false;
            }
            for (const auto index : selection) {
                const auto resolved = mcs::resolveUrl(base, entryPlaylist.uris[index].uri);
                if (!resolved) {
                    fail(exportError(MCSAssetExportErrorUnplayable));
                    return false;
                }
                const auto child = cache.addResource(*asset, *resolved, true);
                mcs::hls::Playlist media;
                if (!loadPlaylist(child, media)) {
                    return false;
                }
                if (media.isMaster) {
                    fail(exportError(MCSAssetExportErrorUnplayable));
                    return false;
                }
                items.push_back({child, 0, std::nullopt});
                mediaPlaylists.emplace_back(child, std::move(media));
            }
        } else {
            mediaPlaylists.emplace_back(entry, std::move(entryPlaylist));
        }
        // Each media playlist's pieces in their order; merged below so that the start of
        // every rendition (the video's and a separate audio's) arrives first.
        std::vector<std::vector<ExportItem>> renditions;
        for (const auto& [resource, playlist] : mediaPlaylists) {
            renditions.emplace_back();
            if (!playlist.isFinished()) {
                core.log("asset " + name_ + " is a live stream and cannot be exported");
                fail(exportError(MCSAssetExportErrorLiveStream));
                return false;
            }
            const auto base = cache.effectiveUrlOf(*resource);
            for (const auto& reference : playlist.uris) {
                const bool needed =
                    reference.role == mcs::hls::UriRole::Segment ||
                    reference.role == mcs::hls::UriRole::Map ||
                    (reference.role == mcs::hls::UriRole::Key && reference.keyMethod != "NONE");
                if (!needed) {
                    continue;
                }
                const auto resolved = mcs::resolveUrl(base, reference.uri);
                if (!resolved) {
                    // A segment or key that cannot be fetched: no complete copy.
                    fail(exportError(MCSAssetExportErrorUnplayable));
                    return false;
                }
                ExportItem item{cache.addResource(*asset, *resolved, false),
                                reference.rangeOffset.value_or(0), std::nullopt};
                if (reference.rangeLength) {
                    item.stop = item.start + *reference.rangeLength;
                }
                renditions.back().push_back(std::move(item));
            }
        }
        for (std::size_t position = 0;; ++position) {
            bool any = false;
            for (auto& rendition : renditions) {
                if (position < rendition.size()) {
                    items.push_back(std::move(rendition[position]));
                    any = true;
                }
            }
            if (!any) {
                break;
            }
        }
    }
    {
        std::set<std::tuple<std::string, std::uint64_t, std::uint64_t>> seen;
        std::vector<ExportItem> unique;
        for (auto& item : items) {
            if (seen.emplace(item.resource->rid, item.start, item.stop.value_or(UINT64_MAX)).second) {
                unique.push_back(std::move(item));
            }
        }
        items.swap(unique);
    }

    const auto itemFraction = [&](const ExportItem& item) {
        const auto stop = item.stop ? item.stop : cache.totalOf(*item.resource);
        if (!stop) {
            return 0.0;
        }
        if (*stop <= item.start) {
            return 1.0;
        }
        return static_cast<double>(cache.presentBytes(*item.resource, item.start, stop)) /
               static_cast<double>(*stop - item.start);
    };
    const auto computeProgress = [&] {
        double sum = 0;
        for (const auto& item : items) {
            sum += itemFraction(item);
        }
        return static_cast<float>(sum / static_cast<double>(items.size()));
    };

    // Upstream connections: one per piece still needed, all opened at once, up to the
    // export's cap and to what the process's exports may use together (the first one is
    // always granted, so that every export makes progress). Each piece is fetched by one
    // worker, on one connection at a time; connections are kept alive from piece to piece.
    // A piece's file is synced by the syncer's thread, in batches, off the transfers; the
    // cache records what is synced every second, and once more at the end below.
    const auto needed = std::count_if(items.begin(), items.end(),
                                      [&](const ExportItem& item) { return itemFraction(item) < 1.0; });
    const int cap = static_cast<int>(
        std::clamp<std::ptrdiff_t>(needed, 1, std::max(1, core.options().exportConnections)));
    std::atomic<std::size_t> nextItem{0};
    int workersLeft = 0;
    mcs::FileSyncer syncer(cache);
    std::vector<std::thread> workers;
    const auto addWorker = [&] {
        if (workers.empty()) {
            ExportConnections::takeAnyway();
        } else if (!ExportConnections::take(core.options().exportConnectionsInAll)) {
            return false;
        }
        {
            std::lock_guard lock(jobMutex_);
            ++workersLeft;
        }
        workers.emplace_back([&] {
            while (!abandon()) {
                const auto index = nextItem++;
                if (index >= items.size()) {
                    break;
                }
                const auto& item = items[index];
                const auto result = withRetries(
                    core, [&] { return cache.fill(*asset, item.resource, item.start, item.stop, abandon); });
                if (result.kind == mcs::WaitResult::Ready) {
                    syncer.add(item.resource);
                } else if (result.kind != mcs::WaitResult::Cancelled) {
                    core.log("export of asset " + name_ + ": a resource failed with status " +
                             std::to_string(result.httpStatus));
                    fail(errorOf(result));
                    failed = true;
                }
            }
            ExportConnections::give();
            {
                std::lock_guard lock(jobMutex_);
                --workersLeft;
            }
            jobWake_.notify_all();
        });
        return true;
    };
    while (static_cast<int>(workers.size()) < cap && addWorker()) {
    }
    {
        std::unique_lock lock(jobMutex_);
        while (workersLeft > 0) {
            jobWake_.wait_for(lock, kProgressPeriod, [&] { return workersLeft == 0; });
            lock.unlock();
            setProgress(computeProgress());
            lock.lock();
        }
    }
    for (auto& worker : workers) {
        worker.join();
    }
    // A file that cannot be made durable is no finished copy.
    if (!syncer.finish()) {
        core.log("export of asset " + name_ + ": a file could not be synced");
        fail(exportError(MCSAssetExportErrorStorage));
        return false;
    }
    if (cancelled_ || failed) {
        return false;
    }
    // Finished means every byte of every piece is in its file: check rather than trust.
    for (const auto& item : items) {
        if (itemFraction(item) < 1.0) {
            return false;
        }
    }
    // And synced, with the folders that name its files, and recorded, before the finished
    // status is stored. A second try covers a row of another asset removed while the
    // first was written (its batch is written again without it).
    if (!cache.flush() && !cache.flush()) {
        core.log("export of asset " + name_ + ": its files could not be synced or recorded");
        fail(exportError(MCSAssetExportErrorStorage));
        return false;
    }
    return true;
}

void MCSAssetExporter::setStatus(int status) {
    if (status_.exchange(status) == status) {
        return;
    }
    if (const auto core = core_.lock()) {
        core->saveExporter(*this);
    }
    post(true);
}

void MCSAssetExporter::setProgress(float progress, bool force) {
    if (!force) {
        progress = std::min(progress, 0.99f); // 1.0 only once everything is verified
    }
    progress_ = progress;
    if (force || std::fabs(progress - postedProgress_) >= 0.01f) {
        postedProgress_ = progress;
        post(false);
    }
}

void MCSAssetExporter::post(bool statusBlock) {
    DispatchQueue::main().async([weak = weak_from_this(), statusBlock] {
        const auto self = weak.lock();
        if (!self || self->removed_) {
            return;
        }
        Block block;
        {
            std::lock_guard lock(self->blockMutex_);
            block = statusBlock ? self->statusBlock_ : self->progressBlock_;
        }
        if (block) {
            block(self);
        }
    });
}
