#include "tools/devservice/MediaFixtures.h"

#include "platform/Foundation/AtomicFile.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace mediafixtures {
namespace {

constexpr const char* kMasterPlaylist = "master.m3u8";
// A white block in the picture's top left corner and a black one in its top right corner,
// each a fifth of the width and of the height, over the test picture.
constexpr const char* kOrientationCue = "drawbox=x=0:y=0:w=iw/5:h=ih/5:color=white:t=fill,"
                                        "drawbox=x=iw-iw/5:y=0:w=iw/5:h=ih/5:color=black:t=fill";

// Holds an exclusive lock on a file for as long as it lives.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return fd_ >= 0; }

  private:
    int fd_;
};

std::vector<std::string> ffmpegArguments(const HlsSpec& spec, const std::filesystem::path& out) {
    const std::string size = std::to_string(spec.width) + "x" + std::to_string(spec.height);
    const int gop = 25 * spec.segmentSeconds;
    std::vector<std::string> args = {"ffmpeg",       "-nostdin",
                                     "-hide_banner", "-loglevel",
                                     "error",        "-y",
                                     "-f",           "lavfi",
                                     "-i",           "testsrc2=size=" + size + ":rate=25",
                                     "-f",           "lavfi",
                                     "-i",           "sine=frequency=440:sample_rate=44100",
                                     "-t",           std::to_string(spec.seconds)};
    if (spec.variants == 2) {
        const std::string half =
            std::to_string(spec.width / 2 / 2 * 2) + ":" + std::to_string(spec.height / 2 / 2 * 2);
        args.insert(args.end(),
                    {"-filter_complex",
                     std::string("[0:v]") + kOrientationCue + ",split=2[v0][v1];[v1]scale=" + half + "[v1o]",
                     "-map", "[v0]", "-map", "[v1o]", "-map", "1:a", "-map", "1:a", "-b:v:0", "600k",
                     "-b:v:1", "200k", "-var_stream_map", "v:0,a:0 v:1,a:1"});
    } else {
        args.insert(args.end(), {"-filter_complex", std::string("[0:v]") + kOrientationCue + "[v0]", "-map",
                                 "[v0]", "-map", "1:a", "-b:v:0", "500k", "-var_stream_map", "v:0,a:0"});
    }
    args.insert(args.end(), {"-c:v",
                             "libx264",
                             "-preset",
                             "veryfast",
                             "-pix_fmt",
                             "yuv420p",
                             "-g",
                             std::to_string(gop),
                             "-keyint_min",
                             std::to_string(gop),
                             "-sc_threshold",
                             "0",
                             "-c:a",
                             "aac",
                             "-b:a",
                             "64k",
                             "-f",
                             "hls",
                             "-hls_time",
                             std::to_string(spec.segmentSeconds),
                             "-hls_playlist_type",
                             "vod",
                             "-hls_segment_filename",
                             (out / "v%v" / "seg%03d.ts").string(),
                             "-master_pl_name",
                             kMasterPlaylist,
                             (out / "v%v" / "index.m3u8").string()});
    return args;
}

// Runs a program without a shell, its output going to `logFile`; answers its exit status
// (-1 when it could not be started or did not exit normally).
int run(const std::vector<std::string>& args, const std::filesystem::path& logFile) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool ensureHlsStream(const std::filesystem::path& folder, const HlsSpec& spec, std::string& error) {
    if (spec.variants < 1 || spec.variants > 2 || spec.seconds < 1 || spec.segmentSeconds < 1 ||
        spec.width < 16 || spec.height < 16 || spec.width % 2 != 0 || spec.height % 2 != 0) {
        error = "unsupported HLS fixture description";
        return false;
    }
    if (std::filesystem::exists(folder / kMasterPlaylist)) {
        return true;
    }
    std::error_code failure;
    std::filesystem::create_directories(folder.parent_path(), failure);
    const FileLock lock(folder.parent_path() / ("." + folder.filename().string() + ".lock"));
    if (!lock.held()) {
        error = "cannot lock " + folder.parent_path().string();
        return false;
    }
    if (std::filesystem::exists(folder / kMasterPlaylist)) {
        return true; // made by someone else while we waited
    }
    const std::filesystem::path work = folder.parent_path() / ("." + folder.filename().string() + ".partial");
    std::filesystem::remove_all(work, failure);
    for (int variant = 0; variant < spec.variants; ++variant) {
        std::filesystem::create_directories(work / ("v" + std::to_string(variant)), failure);
    }
    if (failure) {
        error = "cannot create " + work.string() + ": " + failure.message();
        return false;
    }
    const std::filesystem::path logFile =
        folder.parent_path() / ("." + folder.filename().string() + ".ffmpeg.log");
    const int status = run(ffmpegArguments(spec, work), logFile);
    if (status != 0 || !std::filesystem::exists(work / kMasterPlaylist)) {
        const auto output = readWholeFile(logFile);
        error = status < 0 ? "cannot run ffmpeg" : "ffmpeg failed: " + output.value_or("");
        std::filesystem::remove_all(work, failure);
        return false;
    }
    std::filesystem::remove(logFile, failure);
    std::filesystem::remove_all(folder, failure);
    std::filesystem::rename(work, folder, failure);
    if (failure) {
        error = "cannot move the stream into " + folder.string() + ": " + failure.message();
        return false;
    }
    return true;
}

} // namespace mediafixtures
