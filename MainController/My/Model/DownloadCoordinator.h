#pragma once

#include "app/Records/KKcommenthumble.h"
#include "platform/Foundation/NSError.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MCSAssetExporter;

// What a page that shows downloads hears from the coordinator. Observers are held
// weakly: a page that is gone simply hears nothing.
class DownloadObserver {
  public:
    virtual ~DownloadObserver() = default;
    // The export of `url` got further (a fraction from 0 to 1).
    virtual void downloadProgressDidChange(const std::string& url, float progress) = 0;
    // The record(s) of `url` changed state ("downing", "finish", "fail", "pause") or were
    // removed; `error` is set when an export failed.
    virtual void downloadStateDidChange(const std::string& url, const std::string& state,
                                        const std::optional<NSError>& error) = 0;
};

// The application's one owner of the download exports. It holds the progress and status
// blocks of every export it knows, keeps the download records in step with them (progress
// written at most a few times a second, "finish" only once the proxy has stored the whole
// asset, "fail" when the export failed), resumes unfinished exports at launch and tells
// the pages that observe it. Pages and sheets never hold an export's blocks themselves,
// so closing them never stops or orphans a download. Main thread only.
class DownloadCoordinator {
  public:
    static DownloadCoordinator& shared();

    // Called once at launch: follows every unfinished record's export, resumes those that
    // were waiting or downloading, and marks finished the records whose export completed
    // while the application was not running. Until the records' database is open, it
    // looks again every kStartRetryInterval seconds.
    void start();

    void addObserver(const std::shared_ptr<DownloadObserver>& observer);

    // Starts the export of `record.url` with the request header fields the origin asks
    // for, then stores the record (one per episode: a stored record of the same episode
    // is rewritten). Answers false, with no export left running, when the address cannot
    // be exported or the record cannot be stored.
    bool startDownload(KKcommenthumble record, const std::map<std::string, std::string>& headers);
    // Continues the export of `url` (a paused, failed or interrupted one).
    void resume(const std::string& url);
    // Suspends the export of `url` and marks its records "pause".
    void pause(const std::string& url);
    // Stops the export of `url`, deletes its files and every record of it.
    void remove(const std::string& url);

    // The export's progress as last reported (the record's when none was reported yet).
    std::optional<float> progress(const std::string& url) const;
    // Why the export of `url` failed last, when it did.
    std::optional<NSError> lastError(const std::string& url) const;

    static constexpr double kStartRetryInterval = 0.5;
    // Seconds between two progress writes to a record.
    static constexpr double kProgressWriteInterval = 0.25;

  private:
    DownloadCoordinator() = default;

    std::shared_ptr<MCSAssetExporter> follow(const std::string& url);
    void progressChanged(const std::shared_ptr<MCSAssetExporter>& exporter);
    void statusChanged(const std::shared_ptr<MCSAssetExporter>& exporter);
    void writeProgress(const std::string& url);
    void setState(const std::string& url, const std::string& state, float progress);
    void notifyProgress(const std::string& url, float progress);
    void notifyState(const std::string& url, const std::string& state, const std::optional<NSError>& error);

    struct Entry {
        std::shared_ptr<MCSAssetExporter> exporter;
        float progress = 0;
        double lastWrite = -1;
        bool writeScheduled = false;
        std::optional<NSError> error;
    };
    std::map<std::string, Entry> entries_;
    std::vector<std::weak_ptr<DownloadObserver>> observers_;
    bool started_ = false;
};
