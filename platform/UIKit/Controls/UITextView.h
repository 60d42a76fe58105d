#pragma once

#include "platform/Foundation/NSRange.h"
#include "platform/Foundation/Timer.h"
#include "platform/UIKit/Controls/TextInputEditor.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/NSParagraphStyle.h"
#include "platform/UIKit/UIFont.h"

#include <memory>
#include <optional>
#include <string>

class UITextView;
namespace render {
class TextLayout;
}

class UITextViewDelegate : public UIScrollViewDelegate {
  public:
    virtual bool shouldBeginEditing(UITextView& textView) { return true; }
    virtual void didBeginEditing(UITextView& textView) {}
    virtual bool shouldEndEditing(UITextView& textView) { return true; }
    virtual void didEndEditing(UITextView& textView) {}
    // Whether the text in `range` (UTF-16 units) may become `replacement`.
    virtual bool shouldChangeTextIn(UITextView& textView, NSRange range, const std::string& replacement) {
        return true;
    }
    // After every change of the text by the user.
    virtual void didChange(UITextView& textView) {}
};

// Several lines of editable text that wrap at the view's width and scroll when they do
// not fit. Editing works as in a text field (typing, input-method composition, deleting,
// pasting, arrow keys); return starts a new line. User edits are offered to the delegate
// first, then reported to it.
class UITextView : public UIScrollView {
  public:
    explicit UITextView(const CGRect& frame = CGRectZero);
    ~UITextView() override;

    const std::string& text() const { return editor_.buffer().text(); }
    // Setting the text in code does not tell the delegate.
    void setText(const std::string& text);
    const UIFont& font() const { return font_; }
    void setFont(const UIFont& font);
    const UIColor& textColor() const { return textColor_; }
    void setTextColor(const UIColor& color);
    NSTextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(NSTextAlignment alignment);
    // Space between the view's edges and the text.
    UIEdgeInsets textContainerInset() const { return textContainerInset_; }
    void setTextContainerInset(const UIEdgeInsets& insets);
    bool isEditable() const { return editable_; }
    void setEditable(bool editable);

    std::shared_ptr<UITextViewDelegate> delegate() const { return textDelegate_.lock(); }
    // Held weakly; also the scroll view's delegate.
    void setDelegate(const std::shared_ptr<UITextViewDelegate>& delegate);

    bool isEditing() const { return editing_; }
    NSRange selectedRange() const;
    void setSelectedRange(NSRange range);
    void selectAll();
    std::optional<NSRange> markedTextRange() const;
    void paste();

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    bool canBecomeFirstResponder() const override { return editable_; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool acceptsTextInput() const override { return editing_; }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    void setMarkedText(const std::string& text) override;
    bool keyCommand(UIKeyCommand command) override;
    CGRect textInputRect() const override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

    // Draws the text; the view's content calls this.
    void drawText(cairo_t* context, const CGRect& bounds);

  protected:
    // A text shown while the text is empty, and its colour (subclasses offer them).
    void setPlaceholderValue(const std::string& placeholder);
    const std::string& placeholderValue() const { return placeholder_; }
    void setPlaceholderColorValue(const UIColor& color);
    const UIColor& placeholderColorValue() const { return placeholderColor_; }
    // The most UTF-16 units a user may enter; nothing for no limit.
    virtual std::optional<std::size_t> maximumLength() const { return std::nullopt; }
    virtual void userTextDidChange();

  private:
    std::shared_ptr<const render::TextLayout> textLayout() const;
    CGFloat wrapWidth() const;
    CGRect caretRectInContent() const;
    void contentChanged();
    void startBlinking();
    void stopBlinking();
    void attachParts();

    TextInputEditor editor_;
    std::string placeholder_;
    UIColor placeholderColor_ = UIColor::colorWithWhite(0.7, 1);
    UIFont font_ = UIFont::systemFontOfSize(12);
    UIColor textColor_ = UIColor::blackColor();
    NSTextAlignment textAlignment_ = NSTextAlignment::natural;
    UIEdgeInsets textContainerInset_{8, 5, 8, 5};
    bool editable_ = true;
    bool editing_ = false;
    std::weak_ptr<UITextViewDelegate> textDelegate_;
    std::shared_ptr<UIView> content_;
    std::shared_ptr<CALayer> caret_;
    std::shared_ptr<Timer> blink_;
    bool partsAttached_ = false;
};
