#pragma once

#include "platform/Foundation/NSRange.h"
#include "platform/Foundation/Timer.h"
#include "platform/UIKit/Controls/TextInputEditor.h"
#include "platform/UIKit/NSParagraphStyle.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIFont.h"

#include <memory>
#include <optional>
#include <string>

class UITextField;

enum class UITextBorderStyle { none, line, bezel, roundedRect };
enum class UITextFieldViewMode { never, whileEditing, unlessEditing, always };
// Kept for callers: the desktop keyboard is the same for every kind.
enum class UIKeyboardType {
    defaultType,
    asciiCapable,
    numbersAndPunctuation,
    URL,
    numberPad,
    phonePad,
    namePhonePad,
    emailAddress,
    decimalPad,
    twitter,
    webSearch,
    asciiCapableNumberPad
};
enum class UIReturnKeyType {
    defaultType,
    go,
    google,
    join,
    next,
    route,
    search,
    send,
    yahoo,
    done,
    emergencyCall,
    continueType
};

class UITextFieldDelegate {
  public:
    virtual ~UITextFieldDelegate() = default;
    virtual bool shouldBeginEditing(UITextField& textField) { return true; }
    virtual void didBeginEditing(UITextField& textField) {}
    virtual bool shouldEndEditing(UITextField& textField) { return true; }
    virtual void didEndEditing(UITextField& textField) {}
    // Whether the text in `range` (UTF-16 units) may become `replacement`.
    virtual bool shouldChangeCharactersIn(UITextField& textField, NSRange range,
                                          const std::string& replacement) {
        return true;
    }
    virtual bool shouldClear(UITextField& textField) { return true; }
    virtual bool shouldReturn(UITextField& textField) { return true; }
};

// One line of editable text. A tap makes it the first responder; the window host then
// delivers typed text, input-method compositions (shown underlined until committed),
// deletions, arrow keys and return. Each user edit is offered to the delegate and sends
// the editing-changed event; setting the text in code does neither. A secure field shows
// a dot per character. The text scrolls sideways to keep the caret in sight.
class UITextField : public UIControl, public CALayerDelegate {
  public:
    explicit UITextField(const CGRect& frame = CGRectZero);
    ~UITextField() override;

    // ---- Text ----
    const std::string& text() const { return editor_.buffer().text(); }
    virtual void setText(const std::string& text);
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(const std::string& placeholder);
    const UIFont& font() const { return font_; }
    void setFont(const UIFont& font);
    const UIColor& textColor() const { return textColor_; }
    void setTextColor(const UIColor& color);
    NSTextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(NSTextAlignment alignment);
    UITextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(UITextBorderStyle style);
    bool isSecureTextEntry() const { return secure_; }
    void setSecureTextEntry(bool secure);
    UITextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
    void setClearButtonMode(UITextFieldViewMode mode);
    UIKeyboardType keyboardType = UIKeyboardType::defaultType;
    UIReturnKeyType returnKeyType = UIReturnKeyType::defaultType;

    std::shared_ptr<UITextFieldDelegate> delegate() const { return delegate_.lock(); }
    // Held weakly.
    void setDelegate(const std::shared_ptr<UITextFieldDelegate>& delegate) { delegate_ = delegate; }

    // ---- Editing ----
    bool isEditing() const { return editing_; }
    // The selection (UTF-16 units); an empty range is the caret.
    NSRange selectedRange() const;
    void setSelectedRange(NSRange range);
    void selectAll();
    // The text being composed by the input method, if any (UTF-16 units).
    std::optional<NSRange> markedTextRange() const;
    // Clipboard actions on the selection (a secure field never gives its text away).
    void copy();
    void cut();
    void paste();
    // Empties the field as its clear button does (asking the delegate first).
    void clearText();

    // ---- Geometry ----
    // Where the text goes, where the placeholder goes, inside the bounds.
    virtual CGRect textRectForBounds(const CGRect& bounds) const;
    virtual CGRect placeholderRectForBounds(const CGRect& bounds) const { return textRectForBounds(bounds); }
    // The caret, in this view's coordinates.
    CGRect caretRect() const;

    // ---- UIView and UIResponder ----
    CGSize intrinsicContentSize() const override;
    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void drawLayer(CALayer& layer, cairo_t* context) override;
    bool canBecomeFirstResponder() const override { return isEnabled(); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool acceptsTextInput() const override { return editing_; }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    void setMarkedText(const std::string& text) override;
    bool keyCommand(UIKeyCommand command) override;
    CGRect textInputRect() const override;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    // Space between the bounds and the text.
    virtual UIEdgeInsets textInsets() const;
    // The most UTF-16 units a user may enter; nothing for no limit.
    virtual std::optional<std::size_t> maximumLength() const { return std::nullopt; }
    const UIColor& placeholderColorValue() const { return placeholderColor_; }
    void setPlaceholderColorValue(const UIColor& color);
    // After every change of the text by the user (or by clearText).
    virtual void userTextDidChange();
    void tintColorDidChange() override;

  private:
    // What is drawn: the text, or a dot per character for secure entry, with the
    // selection and composition ranges mapped onto it.
    struct Display {
        std::string text;
        TextEditingBuffer::Range selection;
        std::optional<TextEditingBuffer::Range> marked;
    };
    Display display() const;
    std::size_t bufferOffsetForDisplayOffset(std::size_t offset) const;
    CGRect editingRect() const;
    void updateCaret();
    void startBlinking();
    void stopBlinking();
    void updateClearButton();
    void contentChanged();
    void attachParts();

    TextInputEditor editor_;
    std::string placeholder_;
    UIFont font_ = UIFont::systemFontOfSize(17);
    UIColor textColor_ = UIColor::blackColor();
    UIColor placeholderColor_ = UIColor::colorWithWhite(0.7, 1);
    NSTextAlignment textAlignment_ = NSTextAlignment::natural;
    UITextBorderStyle borderStyle_ = UITextBorderStyle::none;
    bool secure_ = false;
    UITextFieldViewMode clearButtonMode_ = UITextFieldViewMode::never;
    std::weak_ptr<UITextFieldDelegate> delegate_;

    bool editing_ = false;
    double scrollX_ = 0;
    std::shared_ptr<CALayer> caret_;
    std::shared_ptr<Timer> blink_;
    std::shared_ptr<UIControl> clearButton_;
    bool partsAttached_ = false;
};
