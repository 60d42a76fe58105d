#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class HeadlessHost;
class UIScrollView;

// Scrolling a list frame by frame and timing each frame, as the list benchmarks do: the
// content offset moves kStep points, then the headless host lays out and draws the frame.
// A long list and a short one are scrolled in the same process, round after round, and
// compared by the per-frame cost of the long one against the short one's (cells are
// reused, so a list should cost what a screenful costs) and by the long one's
// 99th-percentile frame.
namespace benchscroll {

constexpr int kFrames = 600;
constexpr double kStep = 10; // points per frame: 600 points a second at 60 frames a second
constexpr double kRatioTarget = 1.1;
constexpr double kP99Target = 8.3; // ms: two frames of a 240 Hz display, half of a 60 Hz one

// One scroll's frame times, in milliseconds.
struct FrameTimes {
    std::vector<double> frames;
    double mean() const;
    double percentile(double share) const;
};

double median(std::vector<double> values);
double millisecondsSince(std::chrono::steady_clock::time_point start);

enum class Motion {
    // Down every frame, past the end when the list is short.
    onwards,
    // Down and back up over the list's length, the offset folded back at either end.
    reflected,
    // Down, the step turned round before it would pass either end.
    turning,
};

// Draws one frame, then scrolls `view` for kFrames frames from the offset `from`.
FrameTimes scroll(UIScrollView& view, HeadlessHost& host, Motion motion, double from);

// One scroll of the short case and one of the long case; on odd rounds the long one goes
// first, so that neither always runs in the other's wake. Answers {short, long}.
std::pair<FrameTimes, FrameTimes> alternate(int round,
                                            const std::function<FrameTimes(bool longCase)>& scroll);

// The rounds' long-against-short figures; their medians are the results.
struct Comparison {
    std::vector<double> ratios;
    std::vector<double> longP99;
    std::vector<double> longP50;

    void add(const FrameTimes& few, const FrameTimes& many);
    double ratio() const { return median(ratios); }
    double p99() const { return median(longP99); }
    double p50() const { return median(longP50); }
    bool met() const { return ratio() <= kRatioTarget && p99() <= kP99Target; }
};

// Runs `rounds` rounds of `scroll`, printing each as "round N: <few> a ms/frame, <many> b
// ms/frame (p50 c, p99 d)".
Comparison runRounds(int rounds, const std::string& few, const std::string& many,
                     const std::function<FrameTimes(bool longCase)>& scroll);
// Prints the per-frame cost of <many> against <few> and the 99th-percentile and median
// frames of <many>, with their targets, and the verdict; answers whether the targets are met.
bool report(const Comparison& comparison, const std::string& few, const std::string& many);

// Puts `count` photo-like pictures of `width` x `height` pixels, decoded, in the web-image
// memory cache under `address(i)`, as a list finds its pictures after loading.
void cachePhotos(int count, int width, int height, const std::function<std::string(int)>& address);

} // namespace benchscroll
