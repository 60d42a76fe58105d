#pragma once

#include "platform/Foundation/JSON.h"

#include <cstdint>
#include <string>

class UIViewController;

// One ad of a banner: its picture and what a tap on it does.
struct AdItem {
    explicit AdItem(const JSON& json);

    std::string content;      // "content": the picture's web address
    std::int64_t reqType = 0; // "req_type": 1 opens a film, 3 a web address, others nothing
    std::string reqContent;   // "req_content": the film's vod_id or the web address

    enum class Action { none, openFilm, openWebAddress };
    // What a tap does: a film for type 1, a web address for type 3 when "req_content" is
    // an http or https address (nothing else ever leaves the application), else nothing.
    // The address goes to the opener as it is.
    Action tapAction() const;
};

// Carries out the tap on `item`: the film's resource list shown from `from`, or the web
// address opened in the desktop's browser.
void openAdItem(const AdItem& item, UIViewController& from);
