#pragma once

// The kind of device the interface runs on, which decides layouts meant for a size class
// of devices rather than for a width.
enum class UIUserInterfaceIdiom { phone, pad };

// The device the application runs on. Its interface idiom is the one of the main screen
// the host configured: a phone screen or a tablet screen.
class UIDevice {
  public:
    static UIDevice& currentDevice();

    UIUserInterfaceIdiom userInterfaceIdiom() const;
};
