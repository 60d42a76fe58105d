#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/UIDevice.h"

// The screen the application runs on. The default is a phone's, 390 x 844 points at
// scale 2 with a 47-point status bar and a 34-point home indicator area; the classic
// 375 x 667 phone screen (20-point status bar, no bottom inset) or a tablet's 1024 x 1366
// screen (24-point status bar, 20-point home indicator area) can be chosen instead. The
// screen says which kind of device it belongs to. Hosts configure it before the first
// window is made.
class UIScreen {
  public:
    struct Metrics {
        CGSize size{390, 844};
        double scale = 2;
        CGFloat statusBarHeight = 47;
        CGFloat bottomSafeAreaHeight = 34;
        UIUserInterfaceIdiom idiom = UIUserInterfaceIdiom::phone;

        static Metrics modern() { return {}; }
        static Metrics classic() { return {{375, 667}, 2, 20, 0}; }
        static Metrics tablet() { return {{1024, 1366}, 2, 24, 20, UIUserInterfaceIdiom::pad}; }
        // The device a screen of `size` points belongs to, at scale 2: a tablet when its
        // shorter side has 600 points or more, else a phone. Tablets 1133 points tall or
        // more have the 24-point status bar and the 20-point home indicator area of
        // tablets without a home button, shorter ones a 20-point status bar and no bottom
        // inset; phones 812 points tall or more have the notch's 47-point status bar and a
        // 34-point home indicator area, shorter ones a 20-point status bar.
        static Metrics forSize(CGSize size);
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
