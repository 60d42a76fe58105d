#pragma once

#include <string>

// Writes a PNG of the screen once launch has settled: the window shows the main interface
// (the splash has handed over) and no animation has run for a moment. Meanwhile it draws a
// frame every 50 ms, as a display would. After 30 seconds it writes whatever shows. Then
// it ends the main loop; finishedStatus() answers 0 when the file was written, 1 when not.
// For the headless run of the executable.
class SettledScreenshot {
  public:
    static void schedule(const std::string& path);
    static int finishedStatus();
};
