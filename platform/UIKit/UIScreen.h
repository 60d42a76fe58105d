#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"
#include "platform/UIKit/UIDevice.h"

#include <functional>
#include <optional>

// The screen the application runs on. The default is a phone's, 390 x 844 points at
// scale 2 with a 47-point status bar and a 34-point home indicator area; the classic
// 375 x 667 phone screen (20-point status bar, no bottom inset) or a tablet's 1024 x 1366
// screen (24-point status bar, 20-point home indicator area) can be chosen instead. The
// screen says which kind of device it belongs to. Hosts configure it before the first
// window is made.
//
// The screen turns when the interface does: in landscape its sides swap (a desktop host
// turns its window with it) and the safe area moves as the device's does.
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

    // Told after the screen's bounds or orientation changed, with the bounds before.
    using ChangeHandler = std::function<void(UIScreen& screen, const CGRect& previousBounds)>;

    static UIScreen& mainScreen();
    // Replaces the main screen's metrics (for hosts and tests); the screen is upright again.
    static void configureMainScreen(const Metrics& metrics);
    // One handler: the controller layer's, which lays the windows out for the new screen.
    static void setChangeHandler(ChangeHandler handler);

    // The metrics' size in portrait, its sides swapped in landscape, unless the host's
    // window was given another size.
    CGRect bounds() const;
    // The bounds the screen has in `orientation`: its bounds now when that is how it is
    // turned, else the metrics' size turned that way.
    CGRect boundsFor(UIInterfaceOrientation orientation) const;
    double scale() const { return metrics_.scale; }
    double nativeScale() const { return metrics_.scale; }
    // A phone shows no status bar in landscape; a tablet keeps it.
    CGFloat statusBarHeight() const;
    // What a full-screen window leaves to the status bar and the home indicator.
    UIEdgeInsets safeAreaInsets() const { return safeAreaInsetsFor(orientation_); }
    // The same in `orientation`: in portrait the status bar above and the home indicator
    // below; a turned phone with a home indicator keeps the sensor housing's width clear
    // on both sides and a shorter indicator area below, a turned classic phone keeps
    // nothing, and a tablet keeps its portrait insets.
    UIEdgeInsets safeAreaInsetsFor(UIInterfaceOrientation orientation) const;
    const Metrics& metrics() const { return metrics_; }

    UIInterfaceOrientation interfaceOrientation() const { return orientation_; }
    // Turns the screen (for the platform's orientation handling, which decides whether the
    // interface may turn); the screen takes its own size again.
    void setInterfaceOrientation(UIInterfaceOrientation orientation);
    // For hosts: the desktop window shows `size` points instead of the screen's size (a
    // window manager did not grant the size asked for). The screen takes that size, so
    // that layout follows what is really shown, until it next turns.
    void hostWindowDidResize(CGSize size);

  private:
    void changed(const CGRect& previousBounds);

    Metrics metrics_;
    UIInterfaceOrientation orientation_ = UIInterfaceOrientation::portrait;
    std::optional<CGSize> hostSize_;
};
