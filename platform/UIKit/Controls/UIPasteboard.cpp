#include "platform/UIKit/Controls/UIPasteboard.h"

UIPasteboard& UIPasteboard::generalPasteboard() {
    static UIPasteboard* pasteboard = new UIPasteboard();
    return *pasteboard;
}

std::optional<std::string> UIPasteboard::string() const {
    if (backend_.read) {
        return backend_.read();
    }
    return text_;
}

void UIPasteboard::setString(const std::string& text) {
    text_ = text;
    if (backend_.write) {
        backend_.write(text);
    }
}
