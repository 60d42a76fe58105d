// Time from handing a player an HLS address to its first rendered picture, for both
// playback engines, against the mpv command-line player's own time to its first picture
// of the same stream from the same loopback server (run.sh builds and runs this).
//   player_bench FOLDER RUNS
// FOLDER holds the stream (index.m3u8); each measurement starts a fresh engine, as each
// mpv run starts a fresh process.
#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Seconds from setting the media to the first picture on the main thread.
double firstFrameSeconds(const std::function<std::unique_ptr<SJMediaPlaybackController>()>& make,
                         const std::string& url) {
    auto controller = make();
    const auto start = std::chrono::steady_clock::now();
    controller->setMedia(SJVideoPlayerURLAsset::initWithURL(url, 0));
    controller->play();
    if (!RunLoop::main().runUntil([&] { return controller->latestFrame() != nullptr; }, 30)) {
        std::fprintf(stderr, "no picture: %s\n", controller->errorDescription().c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The mpv player's own log time of its first shown picture (from its start, so the
// process start itself is not counted against it).
double mpvFirstFrameSeconds(const std::string& url, const std::string& logFile) {
    std::remove(logFile.c_str());
    const std::string command = "mpv --no-config --really-quiet --vo=null --ao=null --ytdl=no --frames=1 --log-file='" +
                                logFile + "' '" + url + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "mpv failed\n");
        std::exit(1);
    }
    std::ifstream log(logFile);
    std::string line;
    while (std::getline(log, line)) {
        if (line.find("first video frame after restart shown") != std::string::npos) {
            return std::atof(line.c_str() + line.find('[') + 1);
        }
    }
    std::fprintf(stderr, "mpv showed no picture\n");
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER RUNS\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    RunLoop::main();
    MediaEngineSettings::setAudioOutputEnabled(false);

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(16); };
    server.set_keep_alive_timeout(1);
    server.set_mount_point("/", folder);
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/index.m3u8";

    std::vector<double> mpvEngine, gstreamerEngine, mpvTool;
    for (int run = 0; run < runs; ++run) {
        mpvEngine.push_back(firstFrameSeconds([] { return std::make_unique<SJAVMediaPlaybackController>(); }, url));
        gstreamerEngine.push_back(firstFrameSeconds([] { return std::make_unique<SJAliMediaPlaybackController>(); }, url));
        mpvTool.push_back(mpvFirstFrameSeconds(url, folder + "/../mpv.log"));
    }
    server.stop();
    serving.join();

    const double ours = median(mpvEngine);
    const double second = median(gstreamerEngine);
    const double baseline = median(mpvTool);
    std::printf("runs: %d (medians)\n", runs);
    std::printf("mpv command-line player, first picture: %.1f ms\n", baseline * 1000);
    std::printf("platform engine (libmpv), first picture: %.1f ms  ratio %.2f (target <= 1.2)\n", ours * 1000,
                ours / baseline);
    std::printf("second engine (GStreamer), first picture: %.1f ms  ratio %.2f\n", second * 1000, second / baseline);
    return 0;
}
