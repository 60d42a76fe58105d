#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIWindow.h"

#include <cmath>

// Moves one finger over a window on the virtual clock: one touch event per display frame.
class TouchScript {
  public:
    explicit TouchScript(UIWindow& window) : window_(window) {}

    // Drags from `from` by `delta` over `seconds`, then lifts (or holds still for
    // `holdSeconds` first, which leaves no velocity).
    void drag(CGPoint from, CGPoint delta, double seconds, double holdSeconds = -1) {
        window_.handleTouch(UITouchPhase::began, from, RunLoop::main().now());
        const int frames = std::max(1, static_cast<int>(std::lround(seconds * 60)));
        CGPoint at = from;
        for (int i = 1; i <= frames; ++i) {
            RunLoop::main().advance(seconds / frames);
            at = {from.x + delta.x * i / frames, from.y + delta.y * i / frames};
            window_.handleTouch(UITouchPhase::moved, at, RunLoop::main().now());
        }
        if (holdSeconds >= 0) {
            for (int i = 0; i < 12; ++i) {
                RunLoop::main().advance(holdSeconds / 12);
                window_.handleTouch(UITouchPhase::moved, at, RunLoop::main().now());
            }
        }
        window_.handleTouch(UITouchPhase::ended, at, RunLoop::main().now());
    }

    void tap(CGPoint point) {
        window_.handleTouch(UITouchPhase::began, point, RunLoop::main().now());
        RunLoop::main().advance(0.05);
        window_.handleTouch(UITouchPhase::ended, point, RunLoop::main().now());
    }

  private:
    UIWindow& window_;
};
