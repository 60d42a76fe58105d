#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/UIWindow.h"

#include <functional>
#include <memory>
#include <string>

class SJBaseVideoPlayer;

namespace playerviewtest {

// The shared media fixtures, served on 127.0.0.1 for the whole test process.
std::string clipURL();    // "plain/clip.mp4": 4 seconds of a moving picture, 320 x 240
std::string streamURL();  // "twovariants/v0/index.m3u8": a 3-second HLS stream, 320 x 180
std::string missingURL(); // an address the origin answers 404 to

// A visible key window of the screen's size with the player's view in it at `frame`, the
// way a page holds its player. Engines play without sound.
std::shared_ptr<UIWindow> showInWindow(SJBaseVideoPlayer& player, const CGRect& frame);

// Runs the main loop until `done` (engines work on their own threads), at most `seconds`
// of real time.
bool waitFor(const std::function<bool()>& done, double seconds = 20);

// The share of the pixels inside `rect` (in points) of the headless screen picture that are
// not black.
double litFraction(const CGRect& rect);

} // namespace playerviewtest
