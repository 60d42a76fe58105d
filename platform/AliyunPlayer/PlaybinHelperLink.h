#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AliyunPlayer/PlaybinHelperProcess.h"
#include "platform/AliyunPlayer/PlaybinMessages.h"

#include <cstdint>
#include <memory>
#include <thread>

// The application's side of one load played by a helper process: the commands go to the
// helper from the main thread, and a thread of the link reads what the helper reports,
// checks it (PlaybinReports.h) and hands it to the engine's outlets. A helper that ends by
// itself (it crashed, aborted or was killed), stops answering or sends anything that is
// not a well-formed report fails its load like any load that cannot be played, and is
// ended at once; nothing else: the application goes on.
class PlaybinHelperLink {
  public:
    PlaybinHelperLink(std::unique_ptr<PlaybinHelperProcess> helper, MediaEngineOutlets outlets,
                      const PlaybinMessages::Load& load);
    // Ends the helper and returns at once (the link's thread ends as the socket closes).
    ~PlaybinHelperLink();
    PlaybinHelperLink(const PlaybinHelperLink&) = delete;
    PlaybinHelperLink& operator=(const PlaybinHelperLink&) = delete;

    void setPaused(bool paused);
    void setRate(double rate);
    void setVolume(double volume, bool muted);
    void seek(std::uint64_t generation, std::uint64_t seekId, double seconds);

    pid_t helperPid() const { return helper_->pid(); }

  private:
    struct Shared;
    static void read(const std::shared_ptr<Shared>& shared);
    void send(const nlohmann::json& command);

    std::unique_ptr<PlaybinHelperProcess> helper_;
    std::shared_ptr<Shared> shared_;
    std::thread reader_;
};
