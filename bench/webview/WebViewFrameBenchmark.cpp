// What a picture of the captcha page costs: the web engine draws the page in its own
// process, each changed picture (326 x 326 points at scale 2) is made into an image on the
// web view's engine thread, and the main thread only shows it over a dimmed screen of
// 390 x 844 points.
//   - page picture shown (main thread): the image set and the screen composed again;
//   - conversion (engine thread): the pixels made into an image;
// against a full frame of the same screen (every layer drawn again) in the same run.
// Target: showing a new page picture costs the main thread less than half a full frame,
// so that the page's animations never hold up input.

#include "bench/support/BenchReporter.h"
#include "bench/support/ScreenFrames.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/WebKit/DWKWebView.h"
#include "platform/WebKit/WebEngineSession.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kScale = benchframes::kScale;
constexpr int kPage = 326;

// A page picture with something on every row, as a drawn page has.
WebEngineFrame pagePicture(int seed) {
    WebEngineFrame frame{kPage * 2, kPage * 2, {}};
    frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height * 4);
    for (std::size_t i = 0; i < frame.pixels.size(); i += 4) {
        const auto value = static_cast<char>((i / 4 + static_cast<std::size_t>(seed) * 7) % 251);
        frame.pixels[i] = value;
        frame.pixels[i + 1] = static_cast<char>(0xD7);
        frame.pixels[i + 2] = static_cast<char>(0x3F);
        frame.pixels[i + 3] = static_cast<char>(0xFF);
    }
    return frame;
}

struct Screen {
    std::shared_ptr<UIWindow> window;
    std::vector<std::shared_ptr<UILabel>> labels;
    std::shared_ptr<DWKWebView> web;
    WebEngineFrame pictures[2] = {pagePicture(0), pagePicture(1)};
    std::shared_ptr<UIImage> images[2] = {imageOfFrame(pictures[0], kScale),
                                          imageOfFrame(pictures[1], kScale)};

    Screen() {
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
        window = std::make_shared<UIWindow>();
        window->setBackgroundColor(UIColor::colorWithRed(0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0, 1));
        for (int i = 0; i < 12; ++i) {
            auto label = std::make_shared<UILabel>(CGRectMake(32, 60 + i * 60, 326, 40));
            label->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));
            label->setTextColor(UIColor::whiteColor());
            label->setText(i % 2 == 0 ? "欢迎回来，开始登录 手机号 输入验证码"
                                      : "Sign in with your number and password");
            window->addSubview(label);
            labels.push_back(label);
        }
        auto dim = std::make_shared<UIView>(CGRectMake(0, 0, 390, 844));
        dim->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
        window->addSubview(dim);
        web = std::make_shared<DWKWebView>(CGRectMake(32, 259, kPage, kPage),
                                           std::make_shared<WKWebViewConfiguration>());
        window->addSubview(web);
        web->layer()->setContents(images[0]);
        window->makeKeyAndVisible();
        window->layoutIfNeeded();
    }
};

Screen& screen() {
    static Screen shared;
    return shared;
}

void fullFrame(benchmark::State& state) {
    Screen& s = screen();
    for (auto _ : state) {
        for (const auto& label : s.labels) {
            label->setNeedsDisplay();
        }
        s.web->setNeedsDisplay();
        benchframes::composeAll(*s.window);
    }
}

void pagePictureShown(benchmark::State& state) {
    Screen& s = screen();
    benchframes::compositor().render(*s.window->layer());
    int flip = 0;
    for (auto _ : state) {
        s.web->layer()->setContents(s.images[flip]);
        flip = 1 - flip;
        benchframes::compose(*s.window);
    }
}

void conversion(benchmark::State& state) {
    Screen& s = screen();
    for (auto _ : state) {
        benchmark::DoNotOptimize(imageOfFrame(s.pictures[0], kScale));
    }
}

BENCHMARK(fullFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(pagePictureShown)->Unit(benchmark::kMillisecond);
BENCHMARK(conversion)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RunLoop::main();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double full = reporter.time("fullFrame");
    const double shown = reporter.time("pagePictureShown");
    const double converted = reporter.time("conversion");
    if (full > 0 && shown > 0 && converted > 0) {
        std::printf("page picture shown (main thread) / full frame: %.3f (target below 0.5)\n", shown / full);
        std::printf("conversion (engine thread) / full frame: %.3f\n", converted / full);
    }
    printVerdict("page picture shown against a full frame", full > 0 && shown > 0 && shown / full < 0.5);
    return 0;
}
