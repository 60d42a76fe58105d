#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/UIKit/Controls/UITextView.h"

#include <memory>
#include <string>
#include <vector>

class QMUIButton;
class QMUIFloatLayoutView;
class QMUILabel;
class QMUITextField;
class QMUITextView;

// The feedback form: one of eight problem types, a title and a description of at most
// 200 characters, sent to "api/feedback"; the page closes itself once the service took it.
class KKgracestimulateViewController : public BaseViewController, public UITextViewDelegate {
  public:
    static constexpr std::size_t maximumDescriptionLength = 200;
    // The problem types, in the order they are shown.
    static const std::vector<std::string>& typeTitles();

    void viewDidLoad() override;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    // The description changed: the counter follows it.
    void didChange(UITextView& textView) override;

    const std::shared_ptr<QMUIFloatLayoutView>& typeLayout() const { return kkinterimspatial_; }
    const std::shared_ptr<QMUITextField>& titleField() const { return kkgallonduplicate_; }
    const std::shared_ptr<QMUITextView>& descriptionView() const { return kkstackmingle_; }
    const std::shared_ptr<QMUILabel>& counter() const { return kkminglereign_; }
    const std::shared_ptr<QMUIButton>& submitButton() const { return kkreignunion_; }
    // The selected type's button; none before the first choice.
    std::shared_ptr<QMUIButton> typeBtn() const { return typeBtn_.lock(); }

  private:
    void setupUI();
    std::shared_ptr<QMUIButton> makeTypeButton(const std::string& title);
    void selectType(const std::shared_ptr<QMUIButton>& button);
    void fitTypeLayoutHeight();
    void submit();

    std::shared_ptr<QMUILabel> kkadequatejeopardize_; // type prompt
    std::shared_ptr<QMUIFloatLayoutView> kkinterimspatial_;
    std::shared_ptr<QMUILabel> kkjeopardizegallon_; // title prompt
    std::shared_ptr<QMUITextField> kkgallonduplicate_;
    std::shared_ptr<QMUILabel> kkduplicatestack_; // description prompt
    std::shared_ptr<QMUITextView> kkstackmingle_;
    std::shared_ptr<QMUILabel> kkminglereign_; // counter
    std::shared_ptr<QMUIButton> kkreignunion_; // submit
    std::weak_ptr<QMUIButton> typeBtn_;
};
