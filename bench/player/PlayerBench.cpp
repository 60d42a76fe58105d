// Time from handing a player an HLS address to its first rendered picture, for both
// playback engines, against the mpv command-line player's own time to its first picture
// of the same stream from the same loopback server, mpv run with the platform engine's
// settings (bench/support/MpvCommandLine.h); target for each engine: within 1.2 times
// mpv (run.sh builds and runs this). Each measurement starts a fresh player controller,
// as each mpv run starts a fresh process. The second engine plays in a helper process,
// and one started helper waits for the next load: its measured loads each take the helper
// started ahead for them, as an episode switch does in the application; its first load of
// the process (cold: nothing started ahead) is measured and printed on its own.
// Then processor time per second of playing a 720p clip on each engine, pictures into
// memory, after the first picture: user and system seconds per wall second, for the
// platform engine this process's, for the second engine this process's and its helper's
// (not the idle helper started for the next load). This process also serves the clip.
// Then, in a window (SDL's offscreen driver), the platform engine's two picture paths:
// libmpv's OpenGL renderer into textures the window draws beneath the interface, against
// its software renderer into memory painted with the interface: time to the first
// picture shown, and processor time per second of playing a 720p clip.
//   player_bench FOLDER RUNS
// FOLDER holds the stream (index.m3u8) and the clip (clip720.mp4).
#include "bench/support/MpvCommandLine.h"
#include "bench/support/Verdict.h"
#include "platform/AVFoundation/Media/VideoGLContext.h"
#include "platform/AVFoundation/VideoFrameLayer.h"
#include "platform/AliyunPlayer/GstPlaybinEngine.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"

#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Runs the main loop until `shown()`; ends the benchmark, saying `error()`, after 30 s.
void waitForPicture(const std::function<bool()>& shown, const std::function<std::string()>& error) {
    if (!RunLoop::main().runUntil(shown, 30)) {
        std::fprintf(stderr, "no picture: %s\n", error().c_str());
        std::exit(1);
    }
}

// Seconds from setting the media to the first picture on the main thread.
double firstFrameSeconds(const std::function<std::unique_ptr<SJMediaPlaybackController>()>& make,
                         const std::string& url) {
    auto controller = make();
    const auto start = std::chrono::steady_clock::now();
    controller->setMedia(SJVideoPlayerURLAsset::initWithURL(url, 0));
    controller->play();
    waitForPicture([&] { return controller->latestFrame() != nullptr; },
                   [&] { return controller->errorDescription(); });
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time (user and system, all threads) the process has used, in seconds.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor time (user and system, all threads) process `pid` has used, in seconds, from
// /proc/PID/stat; -1 when it cannot be read.
double processorSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(file, stat);
    // The name, in parentheses, may hold spaces: the fields are counted after it.
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) {
        return -1;
    }
    std::istringstream fields(stat.substr(nameEnd + 1));
    // Fields 3 (state) to 13 (cmajflt), then 14 (utime) and 15 (stime), in clock ticks.
    std::string skipped;
    for (int field = 3; field <= 13; ++field) {
        fields >> skipped;
    }
    unsigned long long user = 0;
    unsigned long long system = 0;
    if (!(fields >> user >> system)) {
        return -1;
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Counts the pictures that reach the main thread, from a controller or an engine.
class PictureCounter final : public SJMediaPlaybackControllerDelegate, public MediaEngineClient {
  public:
    void frameDidChange(SJMediaPlaybackController&) override { ++pictures; }
    void engineFrameDidChange(MediaEngine&) override { ++pictures; }
    int pictures = 0;
};

struct PlayingRun {
    double ownPerSecond = 0;      // this process's processor seconds per second of playing
    double helperPerSecond = 0;   // the helper process's (second engine only)
    double picturesPerSecond = 0; // pictures that reached the main thread per second
    double totalPerSecond() const { return ownPerSecond + helperPerSecond; }
};

// Runs the main loop for `playSeconds` while a player plays. `helper` (0: none) is read
// right after this process, before and after, and the wall clock beside them.
PlayingRun measurePlaying(double playSeconds, pid_t helper, const PictureCounter& counter) {
    auto helperSeconds = [helper] {
        if (helper == 0) {
            return 0.0;
        }
        const double seconds = processorSeconds(helper);
        if (seconds < 0) {
            std::fprintf(stderr, "the helper process %d cannot be read\n", static_cast<int>(helper));
            std::exit(1);
        }
        return seconds;
    };
    const int picturesBefore = counter.pictures;
    const auto start = std::chrono::steady_clock::now();
    const double ownBefore = processorSeconds();
    const double helperBefore = helperSeconds();
    RunLoop::main().runUntil([] { return false; }, playSeconds);
    const double ownAfter = processorSeconds();
    const double helperAfter = helperSeconds();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {(ownAfter - ownBefore) / wall, (helperAfter - helperBefore) / wall,
            (counter.pictures - picturesBefore) / wall};
}

// Plays `url` on the platform engine's controller, pictures into memory (no OpenGL context
// is lent), for `playSeconds` after its first picture.
PlayingRun playOnPlatformEngine(const std::string& url, double playSeconds) {
    auto controller = std::make_unique<SJAVMediaPlaybackController>();
    auto counter = std::make_shared<PictureCounter>();
    controller->setDelegate(counter);
    controller->setMedia(SJVideoPlayerURLAsset::initWithURL(url, 0));
    controller->play();
    waitForPicture([&] { return controller->latestFrame() != nullptr; },
                   [&] { return controller->errorDescription(); });
    if (controller->latestFrame()->texture() != 0) {
        std::fprintf(stderr, "the platform engine's pictures came as textures\n");
        std::exit(1);
    }
    const PlayingRun run = measurePlaying(playSeconds, 0, *counter);
    if (controller->status() == SJPlaybackStatus::Failed || controller->isPlaybackFinished()) {
        std::fprintf(stderr, "the platform engine stopped playing: %s\n",
                     controller->errorDescription().c_str());
        std::exit(1);
    }
    return run;
}

// Plays `url` on the second engine, driven directly for its helper's process, for
// `playSeconds` after its first picture.
PlayingRun playOnSecondEngine(const std::string& url, double playSeconds) {
    GstPlaybinEngine engine;
    auto counter = std::make_shared<PictureCounter>();
    engine.setClient(counter);
    engine.load(makeMediaRequest(url, 0, {}));
    engine.setPaused(false);
    waitForPicture([&] { return engine.latestFrame() != nullptr; },
                   [&] { return engine.state().errorDescription; });
    const PlayingRun run = measurePlaying(playSeconds, engine.helperProcessForTesting(), *counter);
    if (engine.state().phase != MediaEnginePhase::Ready || engine.state().ended) {
        std::fprintf(stderr, "the second engine stopped playing: %s\n",
                     engine.state().errorDescription.c_str());
        std::exit(1);
    }
    return run;
}

// The run of median total processor time.
PlayingRun medianRun(std::vector<PlayingRun> runs) {
    std::sort(runs.begin(), runs.end(), [](const PlayingRun& a, const PlayingRun& b) {
        return a.totalPerSecond() < b.totalPerSecond();
    });
    return runs[runs.size() / 2];
}

void benchmarkPlaying(const std::string& clipURL) {
    constexpr int rounds = 3;
    constexpr double playSeconds = 4;
    std::vector<PlayingRun> platform, second;
    for (int round = 0; round < rounds; ++round) {
        platform.push_back(playOnPlatformEngine(clipURL, playSeconds));
        second.push_back(playOnSecondEngine(clipURL, playSeconds));
    }
    const PlayingRun ours = medianRun(platform);
    const PlayingRun theirs = medianRun(second);
    std::printf("720p clip, pictures into memory, %.0f s of playing after the first picture, processor "
                "seconds (user+system) per second (of %d rounds, engines alternating, the round with the "
                "median total):\n",
                playSeconds, rounds);
    std::printf("  platform engine (libmpv), this process:            %.2f s (%.1f pictures per second)\n",
                ours.ownPerSecond, ours.picturesPerSecond);
    std::printf(
        "  second engine (GStreamer), this process + helper:  %.2f s (%.2f + %.2f) (%.1f pictures per "
        "second)  ratio %.2f\n",
        theirs.totalPerSecond(), theirs.ownPerSecond, theirs.helperPerSecond, theirs.picturesPerSecond,
        theirs.totalPerSecond() / ours.ownPerSecond);
    std::fflush(stdout);
}

// Hands a controller's pictures to a layer, as a player view does.
class PictureForwarder : public SJMediaPlaybackControllerDelegate {
  public:
    explicit PictureForwarder(std::shared_ptr<VideoFrameLayer> layer) : layer_(std::move(layer)) {}
    void frameDidChange(SJMediaPlaybackController& controller) override {
        layer_->setVideoFrame(controller.latestFrame());
    }

  private:
    std::shared_ptr<VideoFrameLayer> layer_;
};

struct WindowRun {
    double firstPicture = 0;       // seconds from setting the media to the window showing it
    double processorPerSecond = 0; // processor seconds per second of playing
    double framesPerSecond = 0;    // frames the window presented per second of playing
    bool textures = false;         // the pictures came as textures
};

// Plays `url` in the window's player layer until the window has shown its first picture,
// then for `playSeconds` more. With `textures`, the engine is made while the window lends
// its OpenGL context; otherwise while nothing is lent.
WindowRun playInWindow(SDLWindowHost& host, const std::shared_ptr<VideoFrameLayer>& layer,
                       const std::string& url, bool textures, double playSeconds) {
    auto controller = std::make_unique<SJAVMediaPlaybackController>();
    auto forwarder = std::make_shared<PictureForwarder>(layer);
    controller->setDelegate(forwarder);

    WindowRun run;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // The engine is made with the first media.
    const auto lent = VideoGLContext::current();
    if (!textures) {
        VideoGLContext::lend(nullptr);
    }
    controller->setMedia(SJVideoPlayerURLAsset::initWithURL(url, 0));
    VideoGLContext::lend(lent);
    controller->play();
    while (!layer->isReadyForDisplay()) {
        host.pumpOnce();
        if (elapsed() > 30) {
            std::fprintf(stderr, "no picture in the window: %s\n", controller->errorDescription().c_str());
            std::exit(1);
        }
    }
    // The picture is on screen once the frame that took it in is presented.
    while (!host.pumpOnce()) {
    }
    run.firstPicture = elapsed();
    run.textures = layer->videoFrame()->texture() != 0;

    const double processorBefore = processorSeconds();
    const double wallBefore = elapsed();
    int presented = 0;
    while (elapsed() - wallBefore < playSeconds) {
        presented += host.pumpOnce() ? 1 : 0;
    }
    const double wall = elapsed() - wallBefore;
    run.processorPerSecond = (processorSeconds() - processorBefore) / wall;
    run.framesPerSecond = presented / wall;
    controller.reset();
    layer->setVideoFrame(nullptr);
    host.pumpOnce();
    return run;
}

void benchmarkWindow(const std::string& clipURL, int runs) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDLWindowHost host({"Orvex player benchmark", 2, false, true});
    if (!host.isOpen()) {
        std::fprintf(stderr, "no window\n");
        std::exit(1);
    }
    // A page with the player at the full width of the phone's screen.
    auto window = std::make_shared<UIWindow>();
    window->setBackgroundColor(UIColor::blackColor());
    const CGFloat width = UIScreen::mainScreen().bounds().size.width;
    auto player = std::make_shared<UIView>(CGRectMake(0, 100, width, width * 9 / 16));
    player->setBackgroundColor(UIColor::blackColor());
    auto layer = std::make_shared<VideoFrameLayer>();
    layer->setFrame(player->bounds());
    player->layer()->addSublayer(layer);
    window->addSubview(player);
    window->makeKeyAndVisible();
    host.pumpOnce();

    std::vector<double> textureFirst, memoryFirst;
    for (int run = 0; run < runs; ++run) {
        textureFirst.push_back(playInWindow(host, layer, clipURL, true, 0).firstPicture);
        memoryFirst.push_back(playInWindow(host, layer, clipURL, false, 0).firstPicture);
    }
    constexpr double playSeconds = 4;
    const WindowRun texture = playInWindow(host, layer, clipURL, true, playSeconds);
    const WindowRun memory = playInWindow(host, layer, clipURL, false, playSeconds);
    if (!texture.textures || memory.textures) {
        std::fprintf(stderr, "the pictures did not take the intended paths\n");
        std::exit(1);
    }
    const double textureMedian = median(textureFirst);
    const double memoryMedian = median(memoryFirst);
    std::printf("window (offscreen driver), 720p clip, player %.0f x %.0f points at scale %.0f:\n", width,
                width * 9 / 16, UIScreen::mainScreen().scale());
    std::printf("  software renderer, first picture shown: %.1f ms\n", memoryMedian * 1000);
    std::printf("  OpenGL renderer,   first picture shown: %.1f ms  ratio %.2f\n", textureMedian * 1000,
                textureMedian / memoryMedian);
    std::printf(
        "  software renderer, processor per second of playing: %.2f s (%.1f frames shown per second)\n",
        memory.processorPerSecond, memory.framesPerSecond);
    std::printf("  OpenGL renderer,   processor per second of playing: %.2f s (%.1f frames shown per second) "
                " ratio %.2f\n",
                texture.processorPerSecond, texture.framesPerSecond,
                texture.processorPerSecond / memory.processorPerSecond);
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

    const std::string clipURL = "http://127.0.0.1:" + std::to_string(port) + "/clip720.mp4";

    auto platformController = [] { return std::make_unique<SJAVMediaPlaybackController>(); };
    auto secondController = [] { return std::make_unique<SJAliMediaPlaybackController>(); };
    // The second engine's first load of the process: no helper was started ahead for it.
    const double secondCold = firstFrameSeconds(secondController, url);
    std::vector<double> mpvEngine, gstreamerEngine, mpvTool;
    for (int run = 0; run < runs; ++run) {
        mpvEngine.push_back(firstFrameSeconds(platformController, url));
        gstreamerEngine.push_back(firstFrameSeconds(secondController, url));
        const double baseline = benchmpv::firstPictureSeconds({url, {}, {}, {}}, folder + "/../mpv.log");
        if (baseline < 0) {
            std::fprintf(stderr, "mpv showed no picture\n");
            return 1;
        }
        mpvTool.push_back(baseline);
    }

    const double ours = median(mpvEngine);
    const double second = median(gstreamerEngine);
    const double baseline = median(mpvTool);
    std::printf("runs: %d (medians)\n", runs);
    std::printf("mpv command-line player, first picture: %.1f ms\n", baseline * 1000);
    constexpr double target = 1.2;
    std::printf("platform engine (libmpv), first picture: %.1f ms  ratio %.2f (target %.1f or less)\n",
                ours * 1000, ours / baseline, target);
    std::printf(
        "second engine (GStreamer), first picture: %.1f ms  ratio %.2f (target %.1f or less; each load "
        "takes the helper process started ahead for it, as an episode switch does)\n",
        second * 1000, second / baseline, target);
    std::printf("second engine, first load of the process (cold: no helper started ahead, one run): %.1f ms  "
                "ratio %.2f\n",
                secondCold * 1000, secondCold / baseline);
    printVerdict("platform engine's first picture against mpv's", ours / baseline <= target);
    printVerdict("second engine's first picture against mpv's", second / baseline <= target);
    std::fflush(stdout);

    benchmarkPlaying(clipURL);
    benchmarkWindow(clipURL, runs);
    server.stop();
    serving.join();
    return 0;
}
