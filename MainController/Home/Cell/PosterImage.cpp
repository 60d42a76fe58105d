#include "MainController/Home/Cell/PosterImage.h"

#include "app/Constants/ModuleConstants.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/UIKit/UIFont.h"

#include <algorithm>
#include <cctype>

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

bool isWebAddress(std::string_view text) {
    std::string_view rest;
    if (startsWithNoCase(text, "https://")) {
        rest = text.substr(8);
    } else if (startsWithNoCase(text, "http://")) {
        rest = text.substr(7);
    } else {
        return false;
    }
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte != 0x7F;
    });
    if (!printable) {
        return false;
    }
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    const std::string_view hostAndPort =
        authority.substr(authority.find('@') == std::string_view::npos ? 0 : authority.find('@') + 1);
    return !hostAndPort.empty() && hostAndPort.front() != ':';
}

std::shared_ptr<UIImageView> makePosterImageView() {
    auto imageView = std::make_shared<UIImageView>(placeholderImage());
    imageView->layer()->setCornerRadius(3);
    imageView->setClipsToBounds(true);
    imageView->setContentMode(UIViewContentMode::scaleAspectFill);
    return imageView;
}

std::shared_ptr<QMUILabel> makePosterNameLabel(double fontSize) {
    auto label = std::make_shared<QMUILabel>();
    label->setText("名字");
    label->setTextColor(UIColor::whiteColor());
    label->setTextAlignment(NSTextAlignment::center);
    label->setFont(UIFont::systemFontOfSize(fontSize, UIFontWeightMedium));
    return label;
}

void loadPoster(const std::shared_ptr<UIImageView>& imageView, const std::optional<std::string>& address) {
    if (!address || !isWebAddress(*address)) {
        return;
    }
    sd_setImageWithURL(imageView, *address, placeholderImage(), 0);
}

void resetPoster(const std::shared_ptr<UIImageView>& imageView) {
    sd_cancelCurrentImageLoad(imageView);
    imageView->setImage(placeholderImage());
}
