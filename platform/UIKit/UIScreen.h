#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

// The phone-shaped screen the application runs on. The default is 390 x 844 points at
// scale 2 with a 47-point status bar and a 34-point home indicator area; the classic
// 375 x 667 screen (20-point status bar, no bottom inset) can be chosen instead. Hosts
// configure it before the first window is made.
class UIScreen {
  public:
    struct Metrics {
        CGSize size{390, 844};
        double scale = 2;
        CGFloat statusBarHeight = 47;
        CGFloat bottomSafeAreaHeight = 34;

        static Metrics modern() { return {}; }
        static Metrics classic() { return {{375, 667}, 2, 20, 0}; }
    };

    static UIScreen& mainScreen();
    // Replaces the main screen's metrics (for hosts and tests).
    static void configureMainScreen(const Metrics& metrics);

    CGRect bounds() const { return {{0, 0}, metrics_.size}; }
    double scale() const { return metrics_.scale; }
    double nativeScale() const { return metrics_.scale; }
    CGFloat statusBarHeight() const { return metrics_.statusBarHeight; }
    // What a full-screen window leaves to the status bar and the home indicator.
    UIEdgeInsets safeAreaInsets() const {
        return {metrics_.statusBarHeight, 0, metrics_.bottomSafeAreaHeight, 0};
    }
    const Metrics& metrics() const { return metrics_; }

  private:
    Metrics metrics_;
};
