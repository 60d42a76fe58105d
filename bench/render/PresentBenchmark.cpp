// One frame of the window host from a change on screen to the window showing it, in
// SDL's offscreen driver (or in the display's, when DISPLAY names one), the phone's
// screen at scale 2: through the window's own pixels (the host's default) against through
// OpenGL (a texture drawn over the window, as before). Two changes: a small control
// (a 40 x 40 point square) and the whole screen (its background). Prints the ratios and
// the verdict; the target is the window's pixels no slower than OpenGL for both.

#include "bench/support/BenchReporter.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace {

enum Change { smallControl, wholeScreen };

void presentFrames(benchmark::State& state, bool openGL) {
    const auto change = static_cast<Change>(state.range(0));
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->setBackgroundColor(UIColor::blackColor());
    auto square = std::make_shared<UIView>(CGRectMake(100, 300, 40, 40));
    window->addSubview(square);
    window->makeKeyAndVisible();
    SDLWindowHost host({"Orvex present benchmark", 2, false, openGL});
    if (!host.isOpen()) {
        state.SkipWithError("no window");
        return;
    }
    host.pumpOnce(0);
    int frame = 0;
    for (auto _ : state) {
        const auto colour = UIColor::colorWithWhite((frame++ % 2) != 0 ? 0.2 : 0.8, 1);
        (change == smallControl ? square : std::static_pointer_cast<UIView>(window))
            ->setBackgroundColor(colour);
        if (!host.pumpOnce(0)) {
            state.SkipWithError("the change was not shown");
            return;
        }
    }
    window->setHidden(true);
}

void windowPixels(benchmark::State& state) {
    presentFrames(state, false);
}

void openGL(benchmark::State& state) {
    presentFrames(state, true);
}

BENCHMARK(windowPixels)->Arg(smallControl)->Arg(wholeScreen)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(openGL)->Arg(smallControl)->Arg(wholeScreen)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    RunLoop::main();
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    bool met = true;
    for (const auto& [arg, name] : {std::pair{"0", "a small control"}, std::pair{"1", "the whole screen"}}) {
        const double pixels = reporter.time(std::string("windowPixels/") + arg);
        const double gl = reporter.time(std::string("openGL/") + arg);
        if (pixels <= 0 || gl <= 0) {
            met = false;
            continue;
        }
        std::printf("%s changed: window's pixels %.3f ms, OpenGL %.3f ms, ratio %.2f (target: 1.0 or less)\n",
                    name, pixels, gl, pixels / gl);
        met = met && pixels <= gl;
    }
    printVerdict("a frame shown through the window's pixels against through OpenGL", met);
    return 0;
}
