#include "MainController/Search/View/SearchRankedLines.h"

#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

UIColor hotBadgeColour(std::size_t index) {
    switch (index) {
    case 0:
        return hexColor("D73F3F");
    case 1:
        return hexColor("#E77E29");
    case 2:
        return hexColor("#EA9D1C");
    default:
        return historyBadgeColour();
    }
}

UIColor historyBadgeColour() {
    return hexColor("#8F8E93");
}

std::shared_ptr<KKsubsequentbasically> makeRankedLine(std::size_t index, const std::string& title,
                                                      const UIColor& colour, std::function<void()> onTap) {
    auto line = std::make_shared<KKsubsequentbasically>();
    line->kkinsteadaccident()->setText(std::to_string(index + 1));
    line->title()->setText(title);
    addTapAction(*line, [onTap = std::move(onTap)](UITapGestureRecognizer&) { onTap(); });
    line->kkinsteadaccident()->setBackgroundColor(colour);
    return line;
}

void placeTwoToALine(UIStackView& stack, const std::shared_ptr<KKsubsequentbasically>& line,
                     std::size_t index) {
    if (index % 2 == 0) {
        auto pair = std::make_shared<UIStackView>();
        pair->setAxis(UILayoutConstraintAxis::horizontal);
        pair->setDistribution(UIStackViewDistribution::fillEqually);
        pair->addArrangedSubview(line);
        stack.addArrangedSubview(pair);
    } else if (!stack.subviews().empty()) {
        if (auto pair = std::dynamic_pointer_cast<UIStackView>(stack.subviews().back())) {
            pair->addArrangedSubview(line);
        }
    }
    line->snp.makeConstraints([](ConstraintMaker& make) { make.height.equalTo(18); });
}
