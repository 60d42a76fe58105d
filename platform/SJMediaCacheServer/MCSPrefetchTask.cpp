#include "platform/SJMediaCacheServer/MCSPrefetchTask.h"

#include "platform/Foundation/DispatchQueue.h"
#include "platform/SJMediaCacheServer/AssetNaming.h"
#include "platform/SJMediaCacheServer/ProxyCore.h"

#include <chrono>
#include <thread>

namespace {

constexpr std::uint64_t kStep = 4u << 20;

NSError prefetchError(const mcs::WaitResult& result) {
    return NSError{"SJMediaCacheServer", result.httpStatus != 0 ? result.httpStatus : -1};
}

} // namespace

MCSPrefetchTask::MCSPrefetchTask(std::weak_ptr<mcs::ProxyCore> core, std::string url,
                                 std::uint64_t preloadSize, std::function<void(float)> progress,
                                 std::function<void(const std::optional<NSError>&)> completed)
    : core_(std::move(core)), url_(std::move(url)), preloadSize_(preloadSize), progress_(std::move(progress)),
      completed_(std::move(completed)) {}

void MCSPrefetchTask::cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    cancelWake_.notify_all();
}

template <typename Operation>
mcs::WaitResult MCSPrefetchTask::withRetries(mcs::ProxyCore& core, Operation&& operation) {
    return mcs::retrying(core.retryPolicy(), operation, [&](double seconds) {
        std::unique_lock lock(mutex_);
        return !cancelWake_.wait_for(lock, std::chrono::duration<double>(seconds),
                                     [&] { return cancelled_.load(); });
    });
}

void MCSPrefetchTask::start() {
    const auto core = core_.lock();
    if (!core) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    std::thread([self = shared_from_this(), core] {
        self->run(*core);
        {
            std::lock_guard lock(self->mutex_);
            self->running_ = false;
        }
        self->done_.notify_all();
    }).detach();
}

void MCSPrefetchTask::waitUntilDone() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return !running_; });
}

void MCSPrefetchTask::run(mcs::ProxyCore& core) {
    auto& cache = core.cache();
    const auto asset = core.assetFor(url_);
    cache.pin(*asset, 1);
    const auto abandon = [&] { return cancelled_.load(); };
    const auto entry = cache.entryResource(*asset);
    std::optional<NSError> error;
    std::uint64_t cached = 0;

    // An address that does not say it is a playlist may still be one: its answer decides.
    mcs::ReadSession kindSession(cache); // keeps that first transfer going for the prefetch to join
    const auto kind = withRetries(core, [&] {
        return cache.decideKind(*asset, entry, 0, std::min<std::uint64_t>(preloadSize_, kStep), kindSession,
                                abandon);
    });
    if (kind.kind != mcs::WaitResult::Ready) {
        if (kind.kind != mcs::WaitResult::Cancelled) {
            error = prefetchError(kind);
        }
    } else if (asset->playlist) {
        std::string text;
        auto loaded = withRetries(
            core, [&] { return cache.loadWhole(*asset, entry, text, mcs::hls::kMaxPlaylistBytes, abandon); });
        auto playlist = mcs::hls::parsePlaylist(text);
        auto media = entry;
        if (loaded.kind == mcs::WaitResult::Ready && playlist.isMaster) {
            // The first variant: the one players start with.
            std::optional<std::string> variant;
            for (const auto& reference : playlist.uris) {
                if (reference.role == mcs::hls::UriRole::Variant) {
                    variant = mcs::resolveUrl(cache.effectiveUrlOf(*entry), reference.uri);
                    break;
                }
            }
            if (!variant) {
                loaded = {mcs::WaitResult::Failed};
            } else {
                media = cache.addResource(*asset, *variant, true);
                loaded = withRetries(core, [&] {
                    return cache.loadWhole(*asset, media, text, mcs::hls::kMaxPlaylistBytes, abandon);
                });
                playlist = mcs::hls::parsePlaylist(text);
            }
        }
        if (loaded.kind != mcs::WaitResult::Ready) {
            error = prefetchError(loaded);
        } else {
            const auto base = cache.effectiveUrlOf(*media);
            for (const auto& reference : playlist.uris) {
                if (cached >= preloadSize_ || cancelled_) {
                    break;
                }
                if (reference.role != mcs::hls::UriRole::Segment &&
                    reference.role != mcs::hls::UriRole::Map && reference.role != mcs::hls::UriRole::Key) {
                    continue;
                }
                const auto resolved = mcs::resolveUrl(base, reference.uri);
                if (!resolved) {
                    continue;
                }
                const auto resource = cache.addResource(*asset, *resolved, false);
                const auto start = reference.rangeOffset.value_or(0);
                std::optional<std::uint64_t> stop;
                if (reference.rangeLength) {
                    stop = start + *reference.rangeLength;
                }
                const auto filled =
                    withRetries(core, [&] { return cache.fill(*asset, resource, start, stop, abandon); });
                if (filled.kind != mcs::WaitResult::Ready) {
                    if (filled.kind != mcs::WaitResult::Cancelled) {
                        error = prefetchError(filled);
                    }
                    break;
                }
                cached += stop ? *stop - start : cache.totalOf(*resource).value_or(0) - start;
                reportProgress(static_cast<float>(
                    std::min(1.0, static_cast<double>(cached) / static_cast<double>(preloadSize_))));
            }
        }
    } else {
        mcs::WaitResult known;
        known = withRetries(core, [&] {
            mcs::ReadSession session(cache);
            return cache.waitForLength(*asset, entry, 0, std::min<std::uint64_t>(preloadSize_, kStep),
                                       session, abandon);
        });
        if (known.kind != mcs::WaitResult::Ready) {
            if (known.kind != mcs::WaitResult::Cancelled) {
                error = prefetchError(known);
            }
        } else {
            const auto limit = std::min(preloadSize_, cache.totalOf(*entry).value_or(0));
            for (std::uint64_t position = 0; position < limit && !cancelled_; position += kStep) {
                const auto filled = withRetries(core, [&] {
                    return cache.fill(*asset, entry, position, std::min(position + kStep, limit), abandon);
                });
                if (filled.kind != mcs::WaitResult::Ready) {
                    if (filled.kind != mcs::WaitResult::Cancelled) {
                        error = prefetchError(filled);
                    }
                    break;
                }
                reportProgress(static_cast<float>(static_cast<double>(std::min(position + kStep, limit)) /
                                                  static_cast<double>(limit)));
            }
        }
    }
    cache.pin(*asset, -1);
    finish(error);
}

void MCSPrefetchTask::reportProgress(float progress) {
    if (!progress_ || cancelled_) {
        return;
    }
    DispatchQueue::main().async([weak = weak_from_this(), progress] {
        const auto self = weak.lock();
        if (self && !self->cancelled_) {
            self->progress_(progress);
        }
    });
}

void MCSPrefetchTask::finish(std::optional<NSError> error) {
    finished_ = true;
    if (!completed_ || cancelled_) {
        return;
    }
    DispatchQueue::main().async([weak = weak_from_this(), error] {
        const auto self = weak.lock();
        if (self && !self->cancelled_) {
            self->completed_(error);
        }
    });
}
