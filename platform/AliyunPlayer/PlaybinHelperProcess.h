#pragma once

#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// One second-engine helper process ("orvex-playbin") and the application's end of its
// socket. The helper gets nothing else of this process: its socket, standard error, and
// /dev/null as its input and output. It ends when its socket closes or this process
// ends, however it ends.
class PlaybinHelperProcess {
  public:
    // Starts a helper for the current settings (the media engines' and the network
    // policy's); null, saying why in `error`, when it cannot start.
    static std::unique_ptr<PlaybinHelperProcess> start(std::string& error);
    // A started helper for the next load: the one kept waiting since the last call, when it
    // is still there and was started with the current settings, else a new one; then a new
    // one is started to wait for the load after. Main thread only.
    static std::unique_ptr<PlaybinHelperProcess> take(std::string& error);
    // Starts the helper that waits for the next load, if none waits. Main thread only.
    static void prepareNext();

    // Ends the helper, unless end() did.
    ~PlaybinHelperProcess();
    PlaybinHelperProcess(const PlaybinHelperProcess&) = delete;
    PlaybinHelperProcess& operator=(const PlaybinHelperProcess&) = delete;

    // Closes the socket, which ends the helper, and has a thread of the process make sure it
    // ended: a helper still there after a short grace is killed, and its process is waited
    // for, so that no signal ever goes to its id after that. Never waits; from any thread;
    // only the first call does anything.
    void end();

    PlaybinChannel& channel() { return channel_; }
    pid_t pid() const { return pid_; }
    // False once the helper's end of the socket is closed (it ended or was killed).
    bool isRunning() const;

    // The helper program: $ORVEX_PLAYBIN_HELPER, else the one built with this library.
    static std::string helperPath();

  private:
    PlaybinHelperProcess(pid_t pid, int socket, std::vector<std::string> arguments);

    pid_t pid_;
    PlaybinChannel channel_;
    std::atomic<bool> ended_{false};
    // What it was started with, but for its socket and this process's id: a helper kept
    // waiting serves a load only if it is the program and has the settings a new one would.
    std::vector<std::string> settings_;
};
