// Constraint layout of 500 views held by 2,000 constraints (a grid of rows: each view
// pinned to its left neighbour or the superview, to the row above, with a width that is
// a fraction of the superview's and a fixed height), reported against the 16.7 ms of a
// 60 Hz frame:
//   - from scratch: making and activating every constraint, solving and applying frames;
//     target: within one frame;
//   - incremental: one constant changes (the first row moves down, moving every row);
//     target: within a tenth of a frame.

#include "bench/support/BenchReporter.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIView.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kViews = 500;
constexpr int kColumns = 5;
constexpr double kFrameBudgetMs = 1000.0 / 60;

struct Grid {
    std::shared_ptr<UIView> root = std::make_shared<UIView>(CGRectMake(0, 0, 390, 844));
    std::vector<std::shared_ptr<UIView>> views;
    std::shared_ptr<Constraint> firstTop;

    Grid() {
        for (int i = 0; i < kViews; ++i) {
            views.push_back(std::make_shared<UIView>());
            root->addSubview(views.back());
        }
    }

    void constrain() {
        for (int i = 0; i < kViews; ++i) {
            auto& view = views[static_cast<size_t>(i)];
            const bool firstInRow = i % kColumns == 0;
            view->snp.makeConstraints([&](ConstraintMaker& make) {
                if (firstInRow) {
                    make.left.equalToSuperview().offset(8);
                } else {
                    make.left.equalTo(views[static_cast<size_t>(i - 1)]->snp.right).offset(6);
                }
                if (i < kColumns) {
                    auto top = make.top.equalToSuperview().offset(10).constraint();
                    if (i == 0) {
                        firstTop = top;
                    }
                } else {
                    make.top.equalTo(views[static_cast<size_t>(i - kColumns)]->snp.bottom).offset(4);
                }
                make.width.equalToSuperview().multipliedBy(0.18);
                make.height.equalTo(i % 2 == 0 ? 30 : 34);
            });
        }
    }

    void clear() {
        for (auto& view : views) {
            view->snp.removeConstraints();
        }
        root->layoutIfNeeded();
    }
};

void layoutFromScratch(benchmark::State& state) {
    Grid grid;
    for (auto _ : state) {
        grid.constrain();
        grid.root->layoutIfNeeded();
        state.PauseTiming();
        grid.clear();
        state.ResumeTiming();
    }
}

void layoutAfterOneConstantChanges(benchmark::State& state) {
    Grid grid;
    grid.constrain();
    grid.root->layoutIfNeeded();
    double offset = 10;
    for (auto _ : state) {
        offset = offset == 10 ? 30 : 10;
        grid.firstTop->updateOffset(offset);
        grid.root->layoutIfNeeded();
    }
    if (grid.views.back()->frame().origin.y <= 0) {
        state.SkipWithError("the grid was not laid out");
    }
}

BENCHMARK(layoutFromScratch)->Unit(benchmark::kMillisecond);
BENCHMARK(layoutAfterOneConstantChanges)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RunLoop::main();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double scratch = reporter.time("layoutFromScratch");
    const double incremental = reporter.time("layoutAfterOneConstantChanges");
    if (scratch > 0) {
        std::printf("layout of %d views and %d constraints from scratch: %.2f ms = %.2f of a 16.7 ms frame\n",
                    kViews, kViews * 4, scratch, scratch / kFrameBudgetMs);
    }
    if (incremental > 0) {
        std::printf("layout after one constant changes: %.3f ms = %.3f of a 16.7 ms frame\n", incremental,
                    incremental / kFrameBudgetMs);
    }
    printVerdict("layout from scratch within a frame", scratch > 0 && scratch <= kFrameBudgetMs);
    printVerdict("layout after one constant changes within a tenth of a frame",
                 incremental > 0 && incremental <= kFrameBudgetMs / 10);
    return 0;
}
