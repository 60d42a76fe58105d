#include "MainController/Home/Helpers/AdItem.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "platform/UIKit/Controllers/UIApplication.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

// An http or https address: the only kind the desktop's opener is ever given (the
// opener itself refuses the rest, and addresses without a host, too).
bool hasWebScheme(std::string_view text) {
    const auto startsWith = [text](std::string_view prefix) {
        return text.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), text.begin(),
                          [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    };
    return startsWith("http://") || startsWith("https://");
}

} // namespace

AdItem::AdItem(const JSON& json)
    : content(json["content"].stringValue()), reqType(json["req_type"].int64Value()),
      reqContent(json["req_content"].stringValue()) {}

AdItem::Action AdItem::tapAction() const {
    if (reqType == 1) {
        return Action::openFilm;
    }
    if (reqType == 3 && hasWebScheme(reqContent)) {
        return Action::openWebAddress;
    }
    return Action::none;
}

void openAdItem(const AdItem& item, UIViewController& from) {
    switch (item.tapAction()) {
    case AdItem::Action::openFilm: {
        auto page = std::make_shared<KKgiganticgloomy>();
        page->vod_id = item.reqContent;
        from.showViewController(page, nullptr);
        break;
    }
    case AdItem::Action::openWebAddress:
        UIApplication::sharedApplication()->openURL(item.reqContent, {}, nullptr);
        break;
    case AdItem::Action::none:
        break;
    }
}
