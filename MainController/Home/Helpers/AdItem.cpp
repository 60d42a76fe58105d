#include "MainController/Home/Helpers/AdItem.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/PosterImage.h"
#include "platform/UIKit/Controllers/UIApplication.h"

AdItem::AdItem(const JSON& json)
    : content(json["content"].stringValue()), reqType(json["req_type"].int64Value()),
      reqContent(json["req_content"].stringValue()) {}

AdItem::Action AdItem::tapAction() const {
    if (reqType == 1) {
        return Action::openFilm;
    }
    if (reqType == 3 && isWebAddress(reqContent)) {
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
