#pragma once

#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class UILabel;
class UIScrollView;
class UITextField;

// One button of an alert card: the action's title, centred; grey while pressed. Hairlines
// along its top and its left edge part it from what lies above and beside it.
class UIAlertActionButton : public UIControl {
  public:
    UIAlertActionButton(std::shared_ptr<UIAlertAction> action, CGFloat fontSize);

    const std::shared_ptr<UIAlertAction>& action() const { return action_; }

    void setSeparators(bool top, bool left);

    void didMoveToSuperview() override;
    void layoutSubviews() override;

  protected:
    void stateDidChange() override { updateColors(); }
    void tintColorDidChange() override { updateColors(); }

  private:
    void updateColors();

    std::shared_ptr<UIAlertAction> action_;
    std::shared_ptr<UILabel> label_;
    std::shared_ptr<UIView> topSeparator_;
    std::shared_ptr<UIView> leftSeparator_;
};

// The card of an alert, or of one group of an action sheet: a header (title, message,
// text fields) over a column (or, for two alert buttons, a row) of buttons.
//
// A card is never taller than the height it is given. When its content does not fit, the
// message scrolls first (down to a few lines in sight), then the column of buttons; the
// title, the text fields and the pinned button (an alert's cancel button) stay in sight. A
// title that still does not fit loses its last lines.
class UIAlertCardView : public UIView {
  public:
    UIAlertCardView(UIAlertControllerStyle style, const std::optional<std::string>& title,
                    const std::optional<std::string>& message);

    void addTextField(const std::shared_ptr<UITextField>& field);
    void addButton(const std::shared_ptr<UIAlertActionButton>& button);
    // A button below the column that never scrolls away.
    void setPinnedButton(const std::shared_ptr<UIAlertActionButton>& button);

    // Every button, the pinned one last.
    std::vector<std::shared_ptr<UIAlertActionButton>> buttons() const;
    bool isEmpty() const;

    // The height the card takes at `width` when it may be at most `maximumHeight` tall.
    CGFloat fittingHeight(CGFloat width, CGFloat maximumHeight) const;

    const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<UILabel>& messageLabel() const { return messageLabel_; }
    const std::shared_ptr<UIScrollView>& messageScrollView() const { return messageScroll_; }
    const std::shared_ptr<UIScrollView>& buttonScrollView() const { return buttonScroll_; }
    // Shows the scroll indicators of the parts that scroll, so that a person sees there is more.
    void flashScrollIndicators();

    void didMoveToSuperview() override;
    void layoutSubviews() override;

  private:
    // Heights of the card's parts at one width and one height limit.
    struct Sections {
        CGFloat title = 0;
        int titleLines = 0; // 0: all of them
        CGFloat titleGap = 0;
        CGFloat message = 0;
        CGFloat messageContent = 0;
        CGFloat fields = 0;
        CGFloat header = 0;
        CGFloat buttons = 0;
        CGFloat buttonsContent = 0;
        CGFloat pinned = 0;
        CGFloat total() const { return header + buttons + pinned; }
    };
    Sections sections(CGFloat width, CGFloat maximumHeight) const;
    bool buttonsSideBySide() const;
    CGFloat buttonHeight() const;

    UIAlertControllerStyle style_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UILabel> messageLabel_;
    std::shared_ptr<UIScrollView> messageScroll_;
    std::vector<std::shared_ptr<UITextField>> textFields_;
    std::shared_ptr<UIScrollView> buttonScroll_;
    std::vector<std::shared_ptr<UIAlertActionButton>> buttons_;
    std::shared_ptr<UIAlertActionButton> pinned_;
};
