#include "MainController/My/Model/DownloadCoordinator.h"

#include "app/Constants/ModuleConstants.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

#include <algorithm>

namespace {

std::vector<std::shared_ptr<KKcommenthumble>> recordsOf(const std::string& url) {
    auto found = KKcommenthumble::findAll(ASAttributes{{"url", url}});
    return found ? *found : std::vector<std::shared_ptr<KKcommenthumble>>{};
}

} // namespace

DownloadCoordinator& DownloadCoordinator::shared() {
    static DownloadCoordinator* coordinator = new DownloadCoordinator();
    return *coordinator;
}

void DownloadCoordinator::start() {
    if (started_) {
        return;
    }
    if (!ASConfigration::defaultDB()) {
        // The records open with the main interface, after the splash: look again soon.
        mainQueue().asyncAfter(kStartRetryInterval, [] { DownloadCoordinator::shared().start(); });
        return;
    }
    started_ = true;
    auto unfinished = KKcommenthumble::findAll(ASColumnRef("state") != "finish", ASOrders{{"id", true}});
    if (!unfinished) {
        return;
    }
    for (const auto& record : *unfinished) {
        auto exporter = follow(record->url);
        if (!exporter) {
            continue;
        }
        if (exporter->status() == MCSAssetExportStatusFinished) {
            // Finished while the application was not there to hear it.
            setState(record->url, "finish", 1.0f);
            continue;
        }
        if (record->state == "downing" || record->state == "waiting") {
            exporter->resume();
        }
    }
}

void DownloadCoordinator::addObserver(const std::shared_ptr<DownloadObserver>& observer) {
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    observers_.push_back(observer);
}

bool DownloadCoordinator::startDownload(KKcommenthumble record,
                                        const std::map<std::string, std::string>& headers) {
    auto& proxy = SJMediaCacheServer::shared();
    auto exporter = headers.empty() ? proxy.exportAssetWithURL(record.url)
                                    : proxy.exportAssetWithURL(record.url, headers);
    if (!exporter) {
        return false;
    }
    if (!record.save()) {
        // No record would ever show or remove this export: do not leave it running.
        proxy.removeExportAssetWithURL(record.url);
        entries_.erase(record.url);
        return false;
    }
    follow(record.url);
    if (exporter->status() == MCSAssetExportStatusFinished) {
        // Its files are all there already (an episode asked for again): resuming would
        // change nothing, and the record just saved as waiting would stay so.
        setState(record.url, "finish", 1.0f);
        return true;
    }
    exporter->resume();
    return true;
}

void DownloadCoordinator::resume(const std::string& url) {
    auto exporter = follow(url);
    if (!exporter) {
        return;
    }
    auto& entry = entries_[url];
    entry.error.reset();
    if (exporter->status() == MCSAssetExportStatusFinished) {
        setState(url, "finish", 1.0f);
        return;
    }
    bool restarted = false;
    for (const auto& record : recordsOf(url)) {
        if (record->state == "pause" || record->state == "fail") {
            record->state = "downing";
            (void)record->update();
            restarted = true;
        }
    }
    exporter->resume();
    if (restarted) {
        notifyState(url, "downing", std::nullopt);
    }
}

void DownloadCoordinator::pause(const std::string& url) {
    if (auto exporter = follow(url)) {
        exporter->suspend();
    }
    setState(url, "pause", progress(url).value_or(0));
}

void DownloadCoordinator::remove(const std::string& url) {
    if (auto found = entries_.find(url); found != entries_.end()) {
        if (found->second.exporter) {
            found->second.exporter->setProgressDidChangeExecuteBlock(nullptr);
            found->second.exporter->setStatusDidChangeExecuteBlock(nullptr);
        }
        entries_.erase(found);
    }
    SJMediaCacheServer::shared().removeExportAssetWithURL(url);
    for (const auto& record : recordsOf(url)) {
        (void)record->deleteRecord();
    }
    notifyState(url, "removed", std::nullopt);
}

std::optional<float> DownloadCoordinator::progress(const std::string& url) const {
    if (auto found = entries_.find(url); found != entries_.end()) {
        return found->second.progress;
    }
    auto records = recordsOf(url);
    if (records.empty()) {
        return std::nullopt;
    }
    return static_cast<float>(records.front()->progress);
}

std::optional<NSError> DownloadCoordinator::lastError(const std::string& url) const {
    if (auto found = entries_.find(url); found != entries_.end()) {
        return found->second.error;
    }
    return std::nullopt;
}

// The export of `url` with the coordinator's blocks on it; none for an address the
// proxy cannot export.
std::shared_ptr<MCSAssetExporter> DownloadCoordinator::follow(const std::string& url) {
    if (auto found = entries_.find(url); found != entries_.end() && found->second.exporter) {
        return found->second.exporter;
    }
    auto exporter = SJMediaCacheServer::shared().exportAssetWithURL(url);
    if (!exporter) {
        return nullptr;
    }
    auto& entry = entries_[url];
    entry.exporter = exporter;
    entry.progress = exporter->progress();
    // The coordinator lives as long as the process; the blocks reach it through shared().
    exporter->setProgressDidChangeExecuteBlock([](const std::shared_ptr<MCSAssetExporter>& task) {
        DownloadCoordinator::shared().progressChanged(task);
    });
    exporter->setStatusDidChangeExecuteBlock([](const std::shared_ptr<MCSAssetExporter>& task) {
        DownloadCoordinator::shared().statusChanged(task);
    });
    return exporter;
}

void DownloadCoordinator::progressChanged(const std::shared_ptr<MCSAssetExporter>& exporter) {
    auto found = entries_.find(exporter->URLString());
    if (found == entries_.end() || found->second.exporter != exporter) {
        return;
    }
    auto& entry = found->second;
    entry.progress = exporter->progress();
    const double now = RunLoop::main().now();
    if (entry.lastWrite < 0 || now - entry.lastWrite >= kProgressWriteInterval) {
        writeProgress(exporter->URLString());
    } else if (!entry.writeScheduled) {
        entry.writeScheduled = true;
        const std::string url = exporter->URLString();
        mainQueue().asyncAfter(kProgressWriteInterval - (now - entry.lastWrite), [url] {
            auto& coordinator = DownloadCoordinator::shared();
            if (auto pending = coordinator.entries_.find(url); pending != coordinator.entries_.end()) {
                pending->second.writeScheduled = false;
                coordinator.writeProgress(url);
            }
        });
    }
    notifyProgress(exporter->URLString(), entry.progress);
}

void DownloadCoordinator::writeProgress(const std::string& url) {
    auto& entry = entries_[url];
    entry.lastWrite = RunLoop::main().now();
    for (const auto& record : recordsOf(url)) {
        if (record->state == "finish") {
            continue;
        }
        record->progress = entry.progress;
        (void)record->update();
    }
}

void DownloadCoordinator::statusChanged(const std::shared_ptr<MCSAssetExporter>& exporter) {
    const std::string url = exporter->URLString();
    auto found = entries_.find(url);
    if (found == entries_.end() || found->second.exporter != exporter) {
        return;
    }
    switch (exporter->status()) {
    case MCSAssetExportStatusExporting:
        found->second.error.reset();
        setState(url, "downing", exporter->progress());
        break;
    case MCSAssetExportStatusFinished:
        // The proxy reports finished only once every resource is complete and on disk.
        setState(url, "finish", 1.0f);
        break;
    case MCSAssetExportStatusFailed:
        found->second.error = exporter->error();
        setState(url, "fail", exporter->progress());
        break;
    default:
        break;
    }
}

void DownloadCoordinator::setState(const std::string& url, const std::string& state, float progress) {
    auto& entry = entries_[url];
    entry.progress = progress;
    entry.lastWrite = RunLoop::main().now();
    for (const auto& record : recordsOf(url)) {
        if (record->state == state && record->progress == progress) {
            continue;
        }
        // A paused download stays paused until the user resumes it, even when the last
        // transfer reports in after the pause.
        if (record->state == "pause" && state == "downing") {
            continue;
        }
        record->state = state;
        record->progress = progress;
        (void)record->update();
    }
    notifyState(url, state, entry.error);
}

void DownloadCoordinator::notifyProgress(const std::string& url, float progress) {
    auto observers = observers_;
    for (const auto& weak : observers) {
        if (auto observer = weak.lock()) {
            observer->downloadProgressDidChange(url, progress);
        }
    }
}

void DownloadCoordinator::notifyState(const std::string& url, const std::string& state,
                                      const std::optional<NSError>& error) {
    auto observers = observers_;
    for (const auto& weak : observers) {
        if (auto observer = weak.lock()) {
            observer->downloadStateDidChange(url, state, error);
        }
    }
}
