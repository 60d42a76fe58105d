#include "bench/support/ScrollTiming.h"

#include "bench/support/PhotoJPEG.h"
#include "bench/support/Verdict.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UIImage.h"
#include "platform/host/HeadlessHost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace benchscroll {

double FrameTimes::mean() const {
    return std::accumulate(frames.begin(), frames.end(), 0.0) / static_cast<double>(frames.size());
}

double FrameTimes::percentile(double share) const {
    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1,
                           static_cast<std::size_t>(share * static_cast<double>(sorted.size())))];
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

FrameTimes scroll(UIScrollView& view, HeadlessHost& host, Motion motion, double from) {
    host.renderFrame();
    FrameTimes run;
    run.frames.reserve(kFrames);
    const double end = std::max(0.0, view.contentSize().height - view.bounds().size.height);
    double y = from;
    double step = kStep;
    for (int frame = 0; frame < kFrames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        double offset = 0;
        switch (motion) {
        case Motion::onwards:
            y += step;
            offset = y;
            break;
        case Motion::reflected: {
            y += step;
            const double phase = end > 0 ? std::fmod(y, 2 * end) : 0;
            offset = phase <= end ? phase : 2 * end - phase;
            break;
        }
        case Motion::turning:
            if (y + step > end || y + step < 0) {
                step = -step;
            }
            y += step;
            offset = y;
            break;
        }
        view.setContentOffset({0, offset});
        host.renderFrame();
        run.frames.push_back(millisecondsSince(start));
    }
    return run;
}

std::pair<FrameTimes, FrameTimes> alternate(int round,
                                            const std::function<FrameTimes(bool longCase)>& scroll) {
    const bool longFirst = round % 2 == 1;
    FrameTimes first = scroll(longFirst);
    FrameTimes second = scroll(!longFirst);
    if (longFirst) {
        return {std::move(second), std::move(first)};
    }
    return {std::move(first), std::move(second)};
}

void Comparison::add(const FrameTimes& few, const FrameTimes& many) {
    ratios.push_back(many.mean() / few.mean());
    longP99.push_back(many.percentile(0.99));
    longP50.push_back(many.percentile(0.5));
}

Comparison runRounds(int rounds, const std::string& few, const std::string& many,
                     const std::function<FrameTimes(bool longCase)>& scroll) {
    Comparison comparison;
    for (int round = 0; round < rounds; ++round) {
        const auto [shortRun, longRun] = alternate(round, scroll);
        comparison.add(shortRun, longRun);
        std::printf("round %d: %s %.3f ms/frame, %s %.3f ms/frame (p50 %.3f, p99 %.3f)\n", round + 1,
                    few.c_str(), shortRun.mean(), many.c_str(), longRun.mean(), longRun.percentile(0.5),
                    longRun.percentile(0.99));
    }
    return comparison;
}

bool report(const Comparison& comparison, const std::string& few, const std::string& many) {
    std::printf("per-frame cost, %s / %s: %.3f (target 1.10 or less)\n", many.c_str(), few.c_str(),
                comparison.ratio());
    std::printf("99th-percentile frame, %s: %.3f ms (target 8.3 ms or less); median frame %.3f ms\n",
                many.c_str(), comparison.p99(), comparison.p50());
    return printVerdict(("scrolling " + many + " against " + few).c_str(), comparison.met());
}

void cachePhotos(int count, int width, int height, const std::function<std::string(int)>& address) {
    for (int i = 0; i < count; ++i) {
        const std::string bytes = photoLikeJPEG(width, height, i);
        SDImageCache::sharedImageCache().storeImage(UIImage::imageWithData(bytes, 1), std::nullopt,
                                                    address(i), false);
    }
}

} // namespace benchscroll
