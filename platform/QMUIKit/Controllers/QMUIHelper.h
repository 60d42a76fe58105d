#pragma once

// Facts about the device the UI kit's settings depend on.
class QMUIHelper {
  public:
    // Whether the screen counts as a large one: a tablet's, or a phone's at least 414
    // points wide (the wide phones). The default phone screen is not.
    static bool isRegularScreen();
};
