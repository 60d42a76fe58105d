#pragma once

#include <chrono>

// Waits, at most `limit`, until the download thread of every adaptive demuxer (HLS, DASH)
// in the process has started waiting in its event loop; answers whether they all have.
//
// GStreamer's adaptive demuxers (1.22) start their download thread as they begin to play
// and, as they stop, ask its event loop to quit and wait for the thread. A quit asked for
// before the new thread has entered its loop is lost (the loop clears it as it starts), so
// a demuxer stopped within moments of starting, as a quick switch on a busy machine does,
// waits for ever. Once the thread waits in its loop the quit reaches it: stopping after
// this wait is safe. The threads are found by the name GLib gives them; a thread of
// another pipeline only adds its own (short) start to the wait.
bool waitForAdaptiveDownloadLoops(std::chrono::milliseconds limit);
