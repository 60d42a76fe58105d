#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIAlertCardView;
class UITextField;

enum class UIAlertControllerStyle { actionSheet = 0, alert = 1 };
enum class UIAlertActionStyle { defaultStyle = 0, cancel = 1, destructive = 2 };

// One button of an alert: its title, its look (cancel titles are bold, destructive ones
// red) and what it does once the alert is gone.
class UIAlertAction {
  public:
    using Handler = std::function<void(UIAlertAction& action)>;

    static std::shared_ptr<UIAlertAction> actionWithTitle(const std::string& title, UIAlertActionStyle style,
                                                          Handler handler = nullptr);
    UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler);

    const std::string& title() const { return title_; }
    UIAlertActionStyle style() const { return style_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    const Handler& handler() const { return handler_; }

  private:
    std::string title_;
    UIAlertActionStyle style_;
    Handler handler_;
    bool enabled_ = true;
};

// A message with buttons, over the dimmed screen: a card in the middle (alert) or at the
// bottom (action sheet, its cancel button on a card of its own). Present it with
// presentViewController; tapping a button dismisses the alert and then runs the button's
// handler. In an action sheet a tap on the dimmed area counts as its cancel button (if it
// has one). The cards stay inside the safe area: a message that does not fit scrolls, then
// the buttons, while the title and the cancel button stay in sight.
//
// Keys: Escape counts as the cancel button. In an alert Return counts as the only button,
// or else as the only button of the default style (never as a destructive one).
class UIAlertController : public UIViewController {
  public:
    static std::shared_ptr<UIAlertController> alertControllerWithTitle(std::optional<std::string> title,
                                                                       std::optional<std::string> message,
                                                                       UIAlertControllerStyle preferredStyle);
    UIAlertController(std::optional<std::string> title, std::optional<std::string> message,
                      UIAlertControllerStyle preferredStyle);
    ~UIAlertController() override;

    const std::optional<std::string>& alertTitle() const { return alertTitle_; }
    const std::optional<std::string>& message() const { return message_; }
    UIAlertControllerStyle preferredStyle() const { return preferredStyle_; }

    // Actions appear in the order added; an alert with two shows them side by side.
    void addAction(std::shared_ptr<UIAlertAction> action);
    const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }

    // Adds a text field under the message (alerts only; an action sheet takes none). The
    // first field is ready for typing once the alert is shown.
    void addTextFieldWithConfigurationHandler(
        const std::function<void(UITextField& textField)>& configurationHandler);
    const std::vector<std::shared_ptr<UITextField>>& textFields() const { return textFields_; }

    // Dismisses the alert, then runs the action's handler (what a tap on its button does).
    void performAction(const std::shared_ptr<UIAlertAction>& action);

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillLayoutSubviews() override;
    bool canBecomeFirstResponder() const override { return true; }
    bool keyCommand(UIKeyCommand command) override;

  protected:
    std::shared_ptr<UIPresentationController>
    presentationControllerForPresentation(const std::shared_ptr<UIViewController>& presenting) override;

  private:
    std::shared_ptr<UIAlertAction> cancelAction() const;
    std::shared_ptr<UIAlertAction> returnKeyAction() const;
    bool cardsContain(CGPoint point) const;
    void dimmingTapped();

    std::optional<std::string> alertTitle_;
    std::optional<std::string> message_;
    UIAlertControllerStyle preferredStyle_;
    std::vector<std::shared_ptr<UIAlertAction>> actions_;
    std::vector<std::shared_ptr<UITextField>> textFields_;
    std::shared_ptr<UIAlertCardView> card_;
    std::shared_ptr<UIAlertCardView> cancelCard_;
    bool performing_ = false;
};
