#include "platform/MJRefresh/MJRefreshStateText.h"

#include "platform/UIKit/UIFont.h"

UIColor MJRefreshStateText::textColor() {
    return UIColor::colorWithWhite(0.6, 1);
}

MJRefreshStateText::MJRefreshStateText(std::map<MJRefreshState, std::string> titles)
    : label_(std::make_shared<UILabel>()), titles_(std::move(titles)) {
    label_->setFont(UIFont::boldSystemFontOfSize(14));
    label_->setTextColor(textColor());
    label_->setTextAlignment(NSTextAlignment::center);
    label_->setText(titles_[MJRefreshState::idle]);
}

void MJRefreshStateText::setTitle(const std::string& title, MJRefreshState state, MJRefreshState now) {
    titles_[state] = title;
    if (now == state) {
        label_->setText(title);
    }
}

void MJRefreshStateText::show(MJRefreshState state) {
    if (auto title = titles_.find(state); title != titles_.end()) {
        label_->setText(title->second);
    }
}
