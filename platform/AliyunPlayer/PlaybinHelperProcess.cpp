#include "platform/AliyunPlayer/PlaybinHelperProcess.h"

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Network/NetworkPolicy.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <thread>

extern char** environ;

namespace {

// How long a helper whose socket closed may take to end before it is killed.
constexpr std::chrono::seconds endGrace{2};
// Where the helper finds its socket.
constexpr int helperSocket = 3;

// Makes sure that ended helpers are gone: waits for each and kills one that outstays its
// grace, on a thread of its own. Never destroyed: a helper may end while the process ends.
class HelperReaper {
  public:
    static HelperReaper& shared() {
        static auto* reaper = new HelperReaper;
        return *reaper;
    }

    void adopt(pid_t pid) {
        {
            std::lock_guard lock(mutex_);
            ending_.push_back(Ending{pid, std::chrono::steady_clock::now() + endGrace, false});
        }
        condition_.notify_one();
    }

  private:
    struct Ending {
        pid_t pid;
        std::chrono::steady_clock::time_point deadline;
        bool killed;
    };

    HelperReaper() {
        std::thread([this] { run(); }).detach();
    }

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            condition_.wait(lock, [&] { return !ending_.empty(); });
            const auto now = std::chrono::steady_clock::now();
            std::erase_if(ending_, [&](Ending& ending) {
                int status = 0;
                const pid_t waited = ::waitpid(ending.pid, &status, WNOHANG);
                if (waited == ending.pid || (waited < 0 && errno == ECHILD)) {
                    return true;
                }
                if (!ending.killed && now >= ending.deadline) {
                    ::kill(ending.pid, SIGKILL);
                    ending.killed = true;
                }
                return false;
            });
            condition_.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    std::mutex mutex_;
    std::condition_variable condition_;
    std::vector<Ending> ending_;
};

// What a helper is started with, but for its socket and this process's id: the program,
// then its settings.
std::vector<std::string> currentSettings() {
    std::vector<std::string> settings = {PlaybinHelperProcess::helperPath()};
    if (const auto file = MediaEngineSettings::certificateAuthorityFile(); !file.empty()) {
        settings.push_back("--media-ca-file=" + file.string());
    }
    if (const auto file = NetworkPolicy::certificateAuthorityFile(); !file.empty()) {
        settings.push_back("--network-ca-file=" + file.string());
    }
    if (const auto resolver = NetworkPolicy::encryptedResolver()) {
        settings.push_back("--resolver=" + resolver->url());
        for (const auto& address : resolver->serverAddresses()) {
            settings.push_back("--resolver-address=" + address.host + ":" + std::to_string(address.port));
        }
    }
    if (!MediaEngineSettings::audioOutputEnabled()) {
        settings.push_back("--no-audio");
    }
    return settings;
}

std::unique_ptr<PlaybinHelperProcess>& waitingHelper() {
    static auto* waiting = new std::unique_ptr<PlaybinHelperProcess>;
    return *waiting;
}

} // namespace

std::string PlaybinHelperProcess::helperPath() {
    if (const char* path = std::getenv("ORVEX_PLAYBIN_HELPER"); path != nullptr && *path != '\0') {
        return path;
    }
    return ORVEX_PLAYBIN_HELPER_PATH;
}

std::unique_ptr<PlaybinHelperProcess> PlaybinHelperProcess::start(std::string& error) {
    int sockets[2];
    if (!makePlaybinSocketPair(sockets)) {
        error = "no socket for the second playback engine";
        return nullptr;
    }
    int childEnd = sockets[1];
    if (childEnd == helperSocket) {
        // dup2 onto itself would leave it to be closed on exec.
        childEnd = ::fcntl(sockets[1], F_DUPFD_CLOEXEC, helperSocket + 1);
        ::close(sockets[1]);
        if (childEnd < 0) {
            ::close(sockets[0]);
            error = "no socket for the second playback engine";
            return nullptr;
        }
    }
    std::vector<std::string> settings = currentSettings();
    const std::string helper = settings.front();
    std::vector<std::string> arguments = {helper, "--socket=" + std::to_string(helperSocket),
                                          "--parent=" + std::to_string(::getpid())};
    arguments.insert(arguments.end(), settings.begin() + 1, settings.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childEnd, helperSocket);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, helperSocket + 1);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(childEnd);
    if (spawned != 0 || pid <= 0) {
        ::close(sockets[0]);
        error = "the second playback engine's helper " + helper + " could not start";
        return nullptr;
    }
    return std::unique_ptr<PlaybinHelperProcess>(
        new PlaybinHelperProcess(pid, sockets[0], std::move(settings)));
}

std::unique_ptr<PlaybinHelperProcess> PlaybinHelperProcess::take(std::string& error) {
    auto helper = std::move(waitingHelper());
    if (helper && (!helper->isRunning() || helper->settings_ != currentSettings())) {
        helper.reset();
    }
    if (!helper) {
        helper = start(error);
    }
    prepareNext();
    return helper;
}

void PlaybinHelperProcess::prepareNext() {
    auto& waiting = waitingHelper();
    if (!waiting) {
        std::string error;
        waiting = start(error);
    }
}

PlaybinHelperProcess::PlaybinHelperProcess(pid_t pid, int socket, std::vector<std::string> settings)
    : pid_(pid), channel_(socket), settings_(std::move(settings)) {}

PlaybinHelperProcess::~PlaybinHelperProcess() {
    end();
}

void PlaybinHelperProcess::end() {
    if (ended_.exchange(true)) {
        return;
    }
    channel_.shutDown();
    HelperReaper::shared().adopt(pid_);
}

bool PlaybinHelperProcess::isRunning() const {
    pollfd watched{channel_.socket(), 0, 0};
    return ::poll(&watched, 1, 0) == 0;
}
