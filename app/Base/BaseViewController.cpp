#include "app/Base/BaseViewController.h"

#include "app/Crypto/MIUGTMBase64.h"
#include "app/Crypto/UTF8.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/UIKit/UIImage.h"

namespace {

// "暂无数据" ("no data yet"), kept as Base64 of its UTF-8 bytes.
constexpr const char* kEmptyText = "5pqC5peg5pWw5o2u";

std::string decodedText(const std::string& base64) {
    const auto bytes = MIUGTMBase64::decodeString(base64);
    if (!bytes || !isValidUTF8(bytes->data(), bytes->size())) {
        return "";
    }
    return std::string(bytes->begin(), bytes->end());
}

} // namespace

void BaseViewController::viewDidLoad() {
    QMUICommonViewController::viewDidLoad();
    view()->setBackgroundColor(hexColor("28272C", 1.0));
    if (const auto& empty = emptyView()) {
        empty->setTextLabelText(decodedText(kEmptyText));
        empty->setLoadingViewHidden(true);
        empty->setUserInteractionEnabled(false);
        empty->setImage(UIImage::imageNamed("empty"));
        empty->setTextLabelTextColor(hexColor("BEBDC2", 1.0));
        empty->setTextLabelFont(UIFont::systemFontOfSize(14));
    }
}
