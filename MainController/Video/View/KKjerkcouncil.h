#pragma once

#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The skip editor of one title: over the dimmed player, two rows ("跳过片头时间(秒)" and
// "跳过片尾时间(秒)") with a "-" button, a field of at most three digits and a "+" button.
// Every change is written at once into the title's skip record, which the player's
// observers skip by: a record with either value above 0, no record when both are 0.
// Values stay within 0 to 999 seconds, whatever is typed or pasted. A tap on the dimmed
// area closes the editor.
class KKjerkcouncil : public UIView {
  public:
    static constexpr int maximumSeconds = 999;
    static constexpr int step = 5;

    static std::shared_ptr<KKjerkcouncil> make();
    KKjerkcouncil() = default;

    // Seconds from a field's text: leading blanks, an optional sign and the digits that
    // follow (0 without any), kept within 0 to 999.
    static int secondsFromText(const std::string& text);

    const std::shared_ptr<UIView>& kkcurrencyguidance() const { return kkcurrencyguidance_; }
    const std::shared_ptr<QMUILabel>& kkguidanceforce() const { return kkguidanceforce_; }
    const std::shared_ptr<QMUILabel>& kkforcepearl() const { return kkforcepearl_; }
    // Intro "-", outro "-", intro "+", outro "+".
    const std::shared_ptr<QMUIButton>& kkpearltestimony() const { return kkpearltestimony_; }
    const std::shared_ptr<QMUIButton>& kktestimonyfactor() const { return kktestimonyfactor_; }
    const std::shared_ptr<QMUIButton>& kkfactorassure() const { return kkfactorassure_; }
    const std::shared_ptr<QMUIButton>& kkassurehopeless() const { return kkassurehopeless_; }
    // Intro and outro seconds.
    const std::shared_ptr<QMUITextField>& kkhopelesspastime() const { return kkhopelesspastime_; }
    const std::shared_ptr<QMUITextField>& kkpastimeincidence() const { return kkpastimeincidence_; }

    // Intro and outro seconds to skip.
    int min = 0;
    int max = 0;
    // The title whose record is edited; nothing is stored without it.
    std::optional<std::string> vod_id;
    // Told after the record was written or removed.
    std::function<void()> recordChanged;

    // Reads the title's record into the values, then applies them.
    void loadRecord();
    // Shows the values in the fields and writes them through to the record.
    void applyValues();
    // Lays the editor out (0.3 s), then removes it from its superview.
    void close();
    // A field's text changed.
    void textChanged(QMUITextField& field);

  private:
    void setupUI();
    void installTapBlocks();
    void layoutRows();
    bool storeValues();
    static std::shared_ptr<QMUIButton> stepButton(const std::string& title);
    std::shared_ptr<QMUITextField> secondsField();

    std::shared_ptr<UIView> kkcurrencyguidance_;
    std::shared_ptr<QMUILabel> kkguidanceforce_;
    std::shared_ptr<QMUILabel> kkforcepearl_;
    std::shared_ptr<QMUIButton> kkpearltestimony_;
    std::shared_ptr<QMUIButton> kktestimonyfactor_;
    std::shared_ptr<QMUIButton> kkfactorassure_;
    std::shared_ptr<QMUIButton> kkassurehopeless_;
    std::shared_ptr<QMUITextField> kkhopelesspastime_;
    std::shared_ptr<QMUITextField> kkpastimeincidence_;
    // The fields are being set from the values: their change events are not edits.
    bool applying_ = false;
};
