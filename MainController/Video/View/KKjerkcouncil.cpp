#include "MainController/Video/View/KKjerkcouncil.h"

#include "app/Extensions/UIViewExtensions.h"
#include "app/Records/KKreapedit.h"
#include "platform/SnapKit/ConstraintMaker.h"

#include <algorithm>
#include <cctype>

std::shared_ptr<KKjerkcouncil> KKjerkcouncil::make() {
    auto editor = std::make_shared<KKjerkcouncil>();
    editor->setupUI();
    return editor;
}

int KKjerkcouncil::secondsFromText(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0; ++at) {
        value = std::min<long>(value * 10 + (text[at] - '0'), maximumSeconds);
    }
    return negative ? 0 : static_cast<int>(value);
}

std::shared_ptr<QMUIButton> KKjerkcouncil::stepButton(const std::string& title) {
    auto button = std::make_shared<QMUIButton>();
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(30, UIFontWeightMedium));
    return button;
}

std::shared_ptr<QMUITextField> KKjerkcouncil::secondsField() {
    auto field = std::make_shared<QMUITextField>();
    field->setText("0");
    field->setMaximumTextLength(3);
    field->setTextColor(UIColor::whiteColor());
    field->setTextAlignment(NSTextAlignment::center);
    field->setBackgroundColor(UIColor::clearColor());
    field->keyboardType = UIKeyboardType::numberPad;
    field->setBorderStyle(UITextBorderStyle::roundedRect);
    field->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));
    std::weak_ptr<KKjerkcouncil> weakSelf = std::static_pointer_cast<KKjerkcouncil>(sharedView());
    field->addTarget(
        [weakSelf](UIControl& sender) {
            if (auto editor = weakSelf.lock()) {
                editor->textChanged(static_cast<QMUITextField&>(sender));
            }
        },
        UIControlEventEditingChanged);
    return field;
}

void KKjerkcouncil::setupUI() {
    kkcurrencyguidance_ = std::make_shared<UIView>();
    kkcurrencyguidance_->setBackgroundColor(UIColor::colorWithWhite(0.0, 0.8));
    auto caption = [](const std::string& text) {
        auto label = std::make_shared<QMUILabel>();
        label->setText(text);
        label->setTextColor(UIColor::whiteColor());
        label->setFont(UIFont::systemFontOfSize(14));
        return label;
    };
    kkguidanceforce_ = caption("跳过片头时间(秒)");
    kkforcepearl_ = caption("跳过片尾时间(秒)");
    kkpearltestimony_ = stepButton("-");
    kktestimonyfactor_ = stepButton("-");
    kkfactorassure_ = stepButton("+");
    kkassurehopeless_ = stepButton("+");
    kkhopelesspastime_ = secondsField();
    kkpastimeincidence_ = secondsField();

    for (const auto& view : std::initializer_list<std::shared_ptr<UIView>>{
             kkcurrencyguidance_, kkguidanceforce_, kkpearltestimony_, kkhopelesspastime_, kkfactorassure_,
             kkforcepearl_, kktestimonyfactor_, kkpastimeincidence_, kkassurehopeless_}) {
        addSubview(view);
    }
    installTapBlocks();
    layoutRows();
}

void KKjerkcouncil::installTapBlocks() {
    std::weak_ptr<KKjerkcouncil> weakSelf = std::static_pointer_cast<KKjerkcouncil>(sharedView());
    addTapAction(*kkcurrencyguidance_, [weakSelf](UITapGestureRecognizer&) {
        if (auto editor = weakSelf.lock()) {
            editor->close();
        }
    });
    auto stepper = [weakSelf](int KKjerkcouncil::*value, int delta) {
        return [weakSelf, value, delta](UIControl&) {
            auto editor = weakSelf.lock();
            if (!editor) {
                return;
            }
            (*editor).*value = std::clamp((*editor).*value + delta, 0, maximumSeconds);
            editor->applyValues();
        };
    };
    kkfactorassure_->setQmui_tapBlock(stepper(&KKjerkcouncil::min, step));
    kkpearltestimony_->setQmui_tapBlock(stepper(&KKjerkcouncil::min, -step));
    kkassurehopeless_->setQmui_tapBlock(stepper(&KKjerkcouncil::max, step));
    kktestimonyfactor_->setQmui_tapBlock(stepper(&KKjerkcouncil::max, -step));
}

// Two right-aligned rows right of the centre: caption, "-", field, "+".
void KKjerkcouncil::layoutRows() {
    kkcurrencyguidance_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    kkfactorassure_->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(55);
        make.centerY.equalToSuperview().offset(-30);
    });
    kkhopelesspastime_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.width.equalTo(66);
        make.height.equalTo(32);
        make.centerY.equalTo(kkfactorassure_->snp.centerY);
        make.right.equalTo(kkfactorassure_->snp.left).offset(-10);
    });
    kkpearltestimony_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalTo(kkhopelesspastime_->snp.left).offset(-10);
        make.centerY.equalTo(kkfactorassure_->snp.centerY);
    });
    kkguidanceforce_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalTo(kkpearltestimony_->snp.left).offset(-20);
        make.centerY.equalTo(kkfactorassure_->snp.centerY);
    });
    kkassurehopeless_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkfactorassure_->snp.bottom).offset(20);
        make.right.equalTo(kkfactorassure_->snp.right);
    });
    kkpastimeincidence_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.right().equalTo(kkhopelesspastime_);
        make.height.equalTo(32);
        make.centerY.equalTo(kkassurehopeless_->snp.centerY);
    });
    kktestimonyfactor_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalTo(kkpearltestimony_->snp.right);
        make.centerY.equalTo(kkassurehopeless_->snp.centerY);
    });
    kkforcepearl_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalTo(kkguidanceforce_->snp.right);
        make.centerY.equalTo(kkassurehopeless_->snp.centerY);
    });
}

void KKjerkcouncil::loadRecord() {
    if (vod_id) {
        auto found = KKreapedit::findFirst(ASAttributes{{"vod_id", *vod_id}});
        if (found && *found) {
            min = std::clamp(static_cast<int>((*found)->startProgress), 0, maximumSeconds);
            max = std::clamp(static_cast<int>((*found)->endProgress), 0, maximumSeconds);
        }
    }
    applyValues();
}

void KKjerkcouncil::applyValues() {
    applying_ = true;
    kkhopelesspastime_->setText(std::to_string(min));
    kkpastimeincidence_->setText(std::to_string(max));
    applying_ = false;
    if (storeValues() && recordChanged) {
        recordChanged();
    }
}

// A failed read or write leaves the stored record as it was.
bool KKjerkcouncil::storeValues() {
    if (!vod_id) {
        return false;
    }
    auto found = KKreapedit::findFirst(ASAttributes{{"vod_id", *vod_id}});
    if (!found) {
        return false;
    }
    const auto& record = *found;
    if (min > 0 || max > 0) {
        if (record) {
            if (record->startProgress == min && record->endProgress == max) {
                return false;
            }
            record->startProgress = min;
            record->endProgress = max;
            return static_cast<bool>(record->update());
        }
        KKreapedit created;
        created.vod_id = *vod_id;
        created.startProgress = min;
        created.endProgress = max;
        return static_cast<bool>(created.save());
    }
    return record && static_cast<bool>(record->deleteRecord());
}

void KKjerkcouncil::textChanged(QMUITextField& field) {
    if (applying_) {
        return;
    }
    const int seconds = secondsFromText(field.text());
    if (&field == kkhopelesspastime_.get()) {
        min = seconds;
    } else {
        max = seconds;
    }
    applyValues();
}

void KKjerkcouncil::close() {
    std::weak_ptr<KKjerkcouncil> weakSelf = std::static_pointer_cast<KKjerkcouncil>(sharedView());
    UIView::animateWithDuration(
        0.3,
        [weakSelf] {
            if (auto editor = weakSelf.lock()) {
                editor->layoutIfNeeded();
            }
        },
        [weakSelf](bool) {
            if (auto editor = weakSelf.lock()) {
                editor->removeFromSuperview();
            }
        });
}
