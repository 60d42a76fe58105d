#pragma once

#include "platform/Foundation/JSON.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class UIViewController;

// The application's stateless toolbox: short texts for sizes and durations, JSON to
// text, the size of a cache folder, the mobile-number test, the tourist test and the
// request signature. Main thread only (the tourist test reads the user defaults).
class KKpresentationdisease {
  public:
    KKpresentationdisease() = delete;

    // A size in kilobytes of 1000 bytes as "%.2fkb", above 1000 as "%.2fMB", above a
    // million as "%.2fGB" (no larger unit).
    static std::string formatSize(double kilobytes);

    // The request signature: keys in ascending byte order, each followed directly by its
    // value, then the salt; MD5 of that text in lower-case hexadecimal.
    static std::string signParameters(const std::map<std::string, std::string>& parameters);

    // True when the user stored under "login" is a tourist (its group is missing or not
    // "2"); false for a registered member and when no user is stored at all.
    static bool checkUserGroup();

    // Compact JSON text of the value (top-level fragments allowed, keys in their order);
    // "" when the value is absent or cannot be written as JSON text.
    static std::string toJSONString(const JSON& value);

    // The total size in kilobytes (bytes / 1000) of the regular files anywhere below the
    // folder; 0 for a missing or unreadable folder. Symbolic links are not followed.
    static double folderSize(const std::string& path);

    // True for a mainland mobile number: the whole text is "1", one of 3 4 5 7 8, an
    // ASCII digit and eight decimal digits.
    static bool isPhoneNumber(const std::string& text);

    // Whole seconds as "mm:ss", or "hh:mm:ss" once there is an hour; hours are not
    // capped. A negative duration reads as 0.
    static std::string formatDuration(std::int64_t seconds);

    // The controller at the top of what the user sees: from the window's root through
    // presented controllers, a tab bar controller's selected tab and a navigation
    // controller's visible page; a new plain controller when there is no window or root.
    // Defined with the controllers (library orvex_app_helpers_controllers).
    static std::shared_ptr<UIViewController> getCurrentVC();
    // As getCurrentVC, but ending at the root page of the selected tab's navigation stack.
    static std::shared_ptr<UIViewController> getMainCurrentVC();
};
