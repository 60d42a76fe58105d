#include "MainController/Video/View/KKobligesuicide.h"

#include "app/Extensions/UIViewExtensions.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/SnapKit/ConstraintMaker.h"

#include <array>

namespace {

struct RateTitle {
    const char* title;
    float rate;
};

constexpr std::array<RateTitle, KKobligesuicide::rateCount> rateTitles{{
    {"2.0X", 2.0F},
    {"1.5X", 1.5F},
    {"1.25X", 1.25F},
    {"1.0X", 1.0F},
    {"0.75X", 0.75F},
    {"0.5X", 0.5F},
}};

} // namespace

std::shared_ptr<KKobligesuicide> KKobligesuicide::make() {
    auto panel = std::make_shared<KKobligesuicide>();
    panel->setupUI();
    panel->makeRateButtons();
    return panel;
}

float KKobligesuicide::rateAt(std::size_t position) {
    return position < rateTitles.size() ? rateTitles[position].rate : 0.5F;
}

void KKobligesuicide::setupUI() {
    std::weak_ptr<KKobligesuicide> weakSelf = std::static_pointer_cast<KKobligesuicide>(sharedView());

    kkcurrencyguidance_ = std::make_shared<UIView>();
    kkcurrencyguidance_->setBackgroundColor(UIColor::colorWithWhite(0.0, 0.1));
    addTapAction(*kkcurrencyguidance_, [weakSelf](UITapGestureRecognizer&) {
        if (auto panel = weakSelf.lock()) {
            panel->hide();
        }
    });
    kkaccountanttense_ = std::make_shared<UIView>();
    kkaccountanttense_->setBackgroundColor(UIColor::colorWithWhite(0.0, 0.5));
    kkloungecandy_ = std::make_shared<UIStackView>();
    kkloungecandy_->setAxis(UILayoutConstraintAxis::vertical);
    kkloungecandy_->setDistribution(UIStackViewDistribution::fillEqually);

    addSubview(kkcurrencyguidance_);
    addSubview(kkaccountanttense_);
    addSubview(kkloungecandy_);
    kkcurrencyguidance_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    kkaccountanttense_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.bottom().equalToSuperview();
        make.width.equalTo(columnWidth);
        make.right.equalToSuperview().inset(-columnWidth);
    });
    kkloungecandy_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.bottom().equalToSuperview().inset(44);
        make.width.equalTo(columnWidth);
        make.right.equalToSuperview().inset(-columnWidth);
    });
}

void KKobligesuicide::makeRateButtons() {
    for (const auto& entry : rateTitles) {
        auto button = std::make_shared<QMUIButton>();
        button->setTitle(entry.title, UIControlStateNormal);
        button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
        kkloungecandy_->addArrangedSubview(button);
    }
}

void KKobligesuicide::slide(CGFloat rightInset, std::function<void(bool)> completion) {
    auto moveRightEdge = [rightInset](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(rightInset);
    };
    kkloungecandy_->snp.updateConstraints(moveRightEdge);
    kkaccountanttense_->snp.updateConstraints(moveRightEdge);
    std::weak_ptr<KKobligesuicide> weakSelf = std::static_pointer_cast<KKobligesuicide>(sharedView());
    UIView::animateWithDuration(
        0.3,
        [weakSelf] {
            if (auto panel = weakSelf.lock()) {
                panel->layoutIfNeeded();
            }
        },
        std::move(completion));
}

void KKobligesuicide::show() {
    slide(0, {});
}

void KKobligesuicide::hide() {
    std::weak_ptr<KKobligesuicide> weakSelf = std::static_pointer_cast<KKobligesuicide>(sharedView());
    slide(-columnWidth, [weakSelf](bool) {
        if (auto panel = weakSelf.lock()) {
            panel->removeFromSuperview();
        }
    });
}
