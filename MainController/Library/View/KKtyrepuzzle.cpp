#include "MainController/Library/View/KKtyrepuzzle.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

constexpr CGFloat kRowHeight = 25;
constexpr double kContentSizeDelay = 0.1;

std::shared_ptr<UIStackView> makeStack(UILayoutConstraintAxis axis, UIStackViewDistribution distribution,
                                       CGFloat spacing) {
    auto stack = std::make_shared<UIStackView>();
    stack->setAxis(axis);
    stack->setDistribution(distribution);
    stack->setSpacing(spacing);
    return stack;
}

} // namespace

std::shared_ptr<KKtyrepuzzle> KKtyrepuzzle::make(const CGRect& frame) {
    auto header = std::make_shared<KKtyrepuzzle>(frame);
    header->setupUI();
    return header;
}

UIColor KKtyrepuzzle::selectedColor() {
    return hexColor("D73F3F", 1);
}

std::shared_ptr<UIStackView> KKtyrepuzzle::makeRowStack() {
    return makeStack(UILayoutConstraintAxis::horizontal, UIStackViewDistribution::fill, 0);
}

const std::shared_ptr<UIStackView>& KKtyrepuzzle::kkloungecandy() {
    if (!kkloungecandy_) {
        kkloungecandy_ =
            makeStack(UILayoutConstraintAxis::vertical, UIStackViewDistribution::equalSpacing, 10);
    }
    return kkloungecandy_;
}

const std::shared_ptr<UIStackView>& KKtyrepuzzle::kkpillleak() {
    if (!kkpillleak_) {
        kkpillleak_ = makeRowStack();
    }
    return kkpillleak_;
}

const std::shared_ptr<UIStackView>& KKtyrepuzzle::kkleakfootstep() {
    if (!kkleakfootstep_) {
        kkleakfootstep_ = makeRowStack();
    }
    return kkleakfootstep_;
}

const std::shared_ptr<UIStackView>& KKtyrepuzzle::kkfootstepgraph() {
    if (!kkfootstepgraph_) {
        kkfootstepgraph_ = makeRowStack();
    }
    return kkfootstepgraph_;
}

const std::shared_ptr<UIStackView>& KKtyrepuzzle::kkgraphprescription() {
    if (!kkgraphprescription_) {
        kkgraphprescription_ = makeRowStack();
    }
    return kkgraphprescription_;
}

const std::shared_ptr<UIStackView>& KKtyrepuzzle::kkprescriptioninterim() {
    if (!kkprescriptioninterim_) {
        kkprescriptioninterim_ = makeRowStack();
    }
    return kkprescriptioninterim_;
}

std::shared_ptr<UIScrollView> KKtyrepuzzle::embed(const std::shared_ptr<UIStackView>& row,
                                                  const char* identifier) {
    auto scroll = std::make_shared<UIScrollView>();
    scroll->setShowsHorizontalScrollIndicator(false);
    scroll->setAccessibilityIdentifier(identifier);
    scroll->addSubview(row);
    row->snp.makeConstraints([&scroll](ConstraintMaker& make) {
        make.top.equalTo(scroll->snp.top);
        make.left.equalTo(scroll->snp.left);
        make.height.equalTo(kRowHeight);
    });
    return scroll;
}

void KKtyrepuzzle::setupUI() {
    addSubview(kkloungecandy());
    kkloungecandy_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().offset(10);
        make.left.equalToSuperview().offset(15);
    });
    kkinterimspatial_ = embed(kkpillleak(), "library.filter.type");
    kkspatialceremony_ = embed(kkleakfootstep(), "library.filter.class");
    kkceremonyinflict_ = embed(kkfootstepgraph(), "library.filter.area");
    kkinflictgrace_ = embed(kkgraphprescription(), "library.filter.lang");
    kkgracestimulate_ = embed(kkprescriptioninterim(), "library.filter.year");
    for (const auto& scroll :
         {kkinterimspatial_, kkspatialceremony_, kkceremonyinflict_, kkinflictgrace_, kkgracestimulate_}) {
        kkloungecandy_->addArrangedSubview(scroll);
        scroll->snp.makeConstraints([](ConstraintMaker& make) {
            make.width.equalTo(screenWidth() - 15);
            make.height.equalTo(kRowHeight);
        });
    }
}

std::vector<KKtyrepuzzle::Row> KKtyrepuzzle::lowerRows() {
    return {
        {"class", kkleakfootstep(), kkspatialceremony_, &KKtyrepuzzle::clickClass},
        {"area", kkfootstepgraph(), kkceremonyinflict_, &KKtyrepuzzle::clickArea},
        {"lang", kkgraphprescription(), kkinflictgrace_, &KKtyrepuzzle::clickLang},
        {"year", kkprescriptioninterim(), kkgracestimulate_, &KKtyrepuzzle::clickYear},
    };
}

std::shared_ptr<QMUIButton> KKtyrepuzzle::makeFilterButton(const std::string& title) {
    auto button = std::make_shared<QMUIButton>();
    button->setCornerRadius(3);
    button->setBackgroundColor(UIColor::clearColor());
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(15, UIFontWeightMedium));
    button->setContentEdgeInsets(UIEdgeInsetsMake(2, 6, 2, 6));
    return button;
}

void KKtyrepuzzle::rebuild(const std::vector<JSON>& tagList, long selectedType) {
    removeAllSubviews(*kkpillleak());
    if (tagList.empty()) {
        return;
    }
    std::weak_ptr<KKtyrepuzzle> weakSelf = std::static_pointer_cast<KKtyrepuzzle>(sharedView());
    for (std::size_t i = 0; i < tagList.size(); ++i) {
        auto button = makeFilterButton(tagList[i]["type_name"].stringValue());
        if (static_cast<long>(i) == selectedType) {
            button->setBackgroundColor(selectedColor());
        }
        const JSON type = tagList[i];
        const long index = static_cast<long>(i);
        button->setQmui_tapBlock([weakSelf, index, type](UIControl& sender) {
            if (auto self = weakSelf.lock()) {
                self->selectType(static_cast<QMUIButton&>(sender), index, type);
            }
        });
        kkpillleak_->addArrangedSubview(button);
    }
    // Callers pass an index of the tree; anything else has no rows to show.
    if (selectedType < 0 || selectedType >= static_cast<long>(tagList.size())) {
        return;
    }
    const JSON& selected = tagList[static_cast<std::size_t>(selectedType)];
    for (const Row& row : lowerRows()) {
        removeAllSubviews(*row.stack);
        const std::vector<JSON> values = selected[row.key].arrayValue();
        for (std::size_t j = 0; j < values.size(); ++j) {
            const std::string value = values[j].stringValue();
            auto button = makeFilterButton(value);
            if (j == 0) {
                button->setBackgroundColor(selectedColor());
            }
            std::weak_ptr<UIStackView> weakRow = row.stack;
            const auto callback = row.callback;
            button->setQmui_tapBlock([weakSelf, weakRow, value, callback](UIControl& sender) {
                auto self = weakSelf.lock();
                auto stack = weakRow.lock();
                if (self && stack) {
                    self->selectValue(*stack, static_cast<QMUIButton&>(sender), value, callback);
                }
            });
            row.stack->addArrangedSubview(button);
        }
        row.scroll->setHidden(values.size() == 1);
    }
    mainQueue().asyncAfter(kContentSizeDelay, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->updateContentSizes();
        }
    });
}

void KKtyrepuzzle::highlightOnly(UIStackView& row, const UIView& selected) {
    for (const auto& button : row.subviews()) {
        button->setBackgroundColor(button.get() == &selected ? selectedColor() : UIColor::clearColor());
    }
}

void KKtyrepuzzle::selectType(QMUIButton& button, long index, const JSON& type) {
    highlightOnly(*kkpillleak(), button);
    if (clickType) {
        clickType(index, type["type_id"].stringValue());
    }
}

void KKtyrepuzzle::selectValue(UIStackView& row, QMUIButton& button, const std::string& value,
                               std::function<void(const std::string&)> KKtyrepuzzle::*callback) {
    highlightOnly(row, button);
    if (const auto& call = this->*callback) {
        call(value);
    }
}

void KKtyrepuzzle::updateContentSizes() {
    const std::pair<std::shared_ptr<UIStackView>, std::shared_ptr<UIScrollView>> rows[] = {
        {kkpillleak(), kkinterimspatial_},
        {kkleakfootstep(), kkspatialceremony_},
        {kkfootstepgraph(), kkceremonyinflict_},
        {kkgraphprescription(), kkinflictgrace_},
        {kkprescriptioninterim(), kkgracestimulate_},
    };
    for (const auto& [stack, scroll] : rows) {
        if (stack->subviews().empty()) {
            continue;
        }
        const CGRect last = stack->subviews().back()->frame();
        scroll->setContentSize(CGSizeMake(last.origin.x + last.size.width + 15, 0));
    }
}
