#include "platform/UIKit/Controls/UITextField.h"

#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/QuartzCore/RenderColors.h"
#include "platform/UIKit/Controls/UIPasteboard.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UITouch.h"
#include "platform/render/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBlinkInterval = 0.5;
constexpr CGFloat kCaretWidth = 2;
constexpr CGFloat kClearButtonSize = 19;
constexpr CGFloat kClearButtonGap = 5;
const std::string kSecureDot = "\u2022";

render::TextAlignment alignmentFor(NSTextAlignment alignment) {
    switch (alignment) {
    case NSTextAlignment::center:
        return render::TextAlignment::center;
    case NSTextAlignment::right:
        return render::TextAlignment::right;
    default:
        return render::TextAlignment::left;
    }
}

// The small round button that empties the field.
class ClearTextButton final : public UIControl {
  public:
    ClearTextButton() : UIControl(CGRectMake(0, 0, kClearButtonSize, kClearButtonSize)) {
        auto circle = CAShapeLayer::layer();
        CGPath disc;
        disc.addEllipse(CGRectMake(0, 0, kClearButtonSize, kClearButtonSize));
        circle->setPath(disc);
        circle->setFillColor(UIColor::colorWithWhite(0.7, 1));
        auto cross = CAShapeLayer::layer();
        CGPath lines;
        const CGFloat a = kClearButtonSize * 0.32;
        const CGFloat b = kClearButtonSize * 0.68;
        lines.move({a, a});
        lines.addLine({b, b});
        lines.move({b, a});
        lines.addLine({a, b});
        cross->setPath(lines);
        cross->setFillColor(std::nullopt);
        cross->setStrokeColor(UIColor::whiteColor());
        cross->setLineWidth(1.6);
        cross->setLineCap(kCALineCapRound);
        layer()->addSublayer(circle);
        layer()->addSublayer(cross);
    }
};

} // namespace

UITextField::UITextField(const CGRect& frame)
    : UIControl(frame),
      editor_(true, TextInputEditor::Hooks{
                        [this](NSRange range, const std::string& replacement) {
                            auto watcher = delegate_.lock();
                            return !watcher || watcher->shouldChangeCharactersIn(*this, range, replacement);
                        },
                        [this] { return maximumLength(); },
                        [this] { userTextDidChange(); },
                    }) {
    layer()->setDelegate(this);
    caret_ = CALayer::layer();
    caret_->setHidden(true);
    caret_->setBackgroundColor(tintColor());
    caret_->setCornerRadius(1);
    layer()->addSublayer(caret_);
    clearButton_ = std::make_shared<ClearTextButton>();
    clearButton_->setHidden(true);
    clearButton_->addTarget(
        [this](UIControl&) {
            auto self = sharedView();
            clearText();
        },
        UIControlEventTouchUpInside);
}

UITextField::~UITextField() {
    layer()->setDelegate(nullptr);
}

void UITextField::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    addSubview(clearButton_);
}

// ---- Settings ---------------------------------------------------------------------------

void UITextField::setText(const std::string& text) {
    if (text == editor_.buffer().text() && !editor_.buffer().hasMarkedText()) {
        return;
    }
    editor_.buffer().setText(text);
    scrollX_ = 0;
    contentChanged();
}

void UITextField::setPlaceholder(const std::string& placeholder) {
    if (placeholder_ == placeholder) {
        return;
    }
    placeholder_ = placeholder;
    contentChanged();
}

void UITextField::setFont(const UIFont& font) {
    if (font_ == font) {
        return;
    }
    font_ = font;
    contentChanged();
}

void UITextField::setTextColor(const UIColor& color) {
    if (textColor_ == color) {
        return;
    }
    textColor_ = color;
    setNeedsDisplay();
}

void UITextField::setPlaceholderColorValue(const UIColor& color) {
    if (placeholderColor_ == color) {
        return;
    }
    placeholderColor_ = color;
    setNeedsDisplay();
}

void UITextField::setTextAlignment(NSTextAlignment alignment) {
    if (textAlignment_ == alignment) {
        return;
    }
    textAlignment_ = alignment;
    contentChanged();
}

void UITextField::setBorderStyle(UITextBorderStyle style) {
    if (borderStyle_ == style) {
        return;
    }
    borderStyle_ = style;
    switch (style) {
    case UITextBorderStyle::none:
        layer()->setBorderWidth(0);
        layer()->setCornerRadius(0);
        break;
    case UITextBorderStyle::line:
        layer()->setBorderWidth(1);
        layer()->setBorderColor(UIColor::blackColor());
        layer()->setCornerRadius(0);
        break;
    case UITextBorderStyle::bezel:
    case UITextBorderStyle::roundedRect:
        layer()->setBorderWidth(0.5);
        layer()->setBorderColor(UIColor::colorWithWhite(0.8, 1));
        layer()->setCornerRadius(style == UITextBorderStyle::roundedRect ? 5 : 0);
        if (!backgroundColor()) {
            setBackgroundColor(UIColor::whiteColor());
        }
        break;
    }
    contentChanged();
}

void UITextField::setSecureTextEntry(bool secure) {
    if (secure_ == secure) {
        return;
    }
    secure_ = secure;
    contentChanged();
}

void UITextField::setClearButtonMode(UITextFieldViewMode mode) {
    if (clearButtonMode_ == mode) {
        return;
    }
    clearButtonMode_ = mode;
    contentChanged();
}

void UITextField::tintColorDidChange() {
    UIControl::tintColorDidChange();
    caret_->setBackgroundColor(tintColor());
    setNeedsDisplay();
}

// ---- Editing -------------------------------------------------------------------------------

bool UITextField::becomeFirstResponder() {
    if (editing_) {
        return true;
    }
    if (!canBecomeFirstResponder()) {
        return false;
    }
    auto self = sharedView();
    auto watcher = delegate_.lock();
    if (watcher && !watcher->shouldBeginEditing(*this)) {
        return false;
    }
    if (!UIControl::becomeFirstResponder()) {
        return false;
    }
    editing_ = true;
    editor_.buffer().moveToEnd(false);
    startBlinking();
    contentChanged();
    if (watcher) {
        watcher->didBeginEditing(*this);
    }
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    return true;
}

bool UITextField::resignFirstResponder() {
    if (!editing_) {
        return UIControl::resignFirstResponder();
    }
    auto self = sharedView();
    auto watcher = delegate_.lock();
    if (watcher && !watcher->shouldEndEditing(*this)) {
        return false;
    }
    if (!UIControl::resignFirstResponder()) {
        return false;
    }
    editing_ = false;
    // What the input method was composing is kept as typed.
    editor_.buffer().unmarkText();
    editor_.buffer().moveToEnd(false);
    stopBlinking();
    scrollX_ = 0;
    contentChanged();
    if (watcher) {
        watcher->didEndEditing(*this);
    }
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    return true;
}

void UITextField::userTextDidChange() {
    auto self = sharedView();
    contentChanged();
    sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::insertText(const std::string& text) {
    if (!editing_) {
        return;
    }
    if (text == "\n" || text == "\r") {
        keyCommand(UIKeyCommand::returnKey);
        return;
    }
    startBlinking();
    editor_.insert(text);
}

void UITextField::setMarkedText(const std::string& text) {
    if (!editing_) {
        return;
    }
    startBlinking();
    editor_.setMarkedText(text);
}

void UITextField::deleteBackward() {
    if (!editing_) {
        return;
    }
    startBlinking();
    editor_.deleteBackward();
}

bool UITextField::keyCommand(UIKeyCommand command) {
    if (!editing_) {
        return UIResponder::keyCommand(command);
    }
    auto self = sharedView();
    TextEditingBuffer& buffer = editor_.buffer();
    switch (command) {
    case UIKeyCommand::leftArrow:
    case UIKeyCommand::upArrow:
        command == UIKeyCommand::leftArrow ? buffer.moveLeft(false) : buffer.moveToStart(false);
        break;
    case UIKeyCommand::rightArrow:
    case UIKeyCommand::downArrow:
        command == UIKeyCommand::rightArrow ? buffer.moveRight(false) : buffer.moveToEnd(false);
        break;
    case UIKeyCommand::home:
        buffer.moveToStart(false);
        break;
    case UIKeyCommand::end:
        buffer.moveToEnd(false);
        break;
    case UIKeyCommand::deleteForward:
        editor_.deleteForward();
        break;
    case UIKeyCommand::returnKey: {
        auto watcher = delegate_.lock();
        if (!watcher || watcher->shouldReturn(*this)) {
            sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
        }
        return true;
    }
    case UIKeyCommand::escape:
    case UIKeyCommand::tab:
        return UIResponder::keyCommand(command);
    }
    startBlinking();
    contentChanged();
    return true;
}

NSRange UITextField::selectedRange() const {
    return editor_.selectedRange();
}

void UITextField::setSelectedRange(NSRange range) {
    editor_.setSelectedRange(range);
    contentChanged();
}

void UITextField::selectAll() {
    editor_.buffer().selectAll();
    contentChanged();
}

std::optional<NSRange> UITextField::markedTextRange() const {
    return editor_.markedTextRange();
}

void UITextField::copy() {
    const auto selection = editor_.buffer().selection();
    if (secure_ || selection.empty()) {
        return;
    }
    UIPasteboard::generalPasteboard().setString(text().substr(selection.start, selection.length()));
}

void UITextField::cut() {
    if (secure_ || editor_.buffer().selection().empty() || !editing_) {
        return;
    }
    copy();
    editor_.deleteBackward();
}

void UITextField::paste() {
    if (editing_) {
        editor_.paste();
    }
}

void UITextField::clearText() {
    auto self = sharedView();
    auto watcher = delegate_.lock();
    if (text().empty() || (watcher && !watcher->shouldClear(*this))) {
        return;
    }
    editor_.buffer().setText({});
    scrollX_ = 0;
    userTextDidChange();
}

// ---- Display --------------------------------------------------------------------------------

UITextField::Display UITextField::display() const {
    const TextEditingBuffer& buffer = editor_.buffer();
    if (!secure_) {
        return {buffer.text(), buffer.selection(), buffer.markedRange()};
    }
    // One dot per character; offsets map by characters.
    auto dotsBefore = [&](std::size_t offset) {
        std::size_t count = 0;
        for (std::size_t at = 0; at < offset && at < buffer.text().size(); ++count) {
            at = TextEditingBuffer::nextBoundary(buffer.text(), at);
        }
        return count * kSecureDot.size();
    };
    Display shown;
    const std::size_t total = dotsBefore(buffer.text().size());
    shown.text.reserve(total);
    for (std::size_t i = 0; i < total / kSecureDot.size(); ++i) {
        shown.text += kSecureDot;
    }
    shown.selection = {dotsBefore(buffer.selection().start), dotsBefore(buffer.selection().end)};
    if (const auto& marked = buffer.markedRange()) {
        shown.marked = TextEditingBuffer::Range{dotsBefore(marked->start), dotsBefore(marked->end)};
    }
    return shown;
}

std::size_t UITextField::bufferOffsetForDisplayOffset(std::size_t offset) const {
    if (!secure_) {
        return offset;
    }
    const std::string& text = editor_.buffer().text();
    std::size_t at = 0;
    for (std::size_t dots = offset / kSecureDot.size(); dots > 0 && at < text.size(); --dots) {
        at = TextEditingBuffer::nextBoundary(text, at);
    }
    return at;
}

UIEdgeInsets UITextField::textInsets() const {
    return borderStyle_ == UITextBorderStyle::none ? UIEdgeInsets{} : UIEdgeInsets{0, 7, 0, 7};
}

CGRect UITextField::textRectForBounds(const CGRect& bounds) const {
    return UIEdgeInsetsInsetRect(bounds, textInsets());
}

CGRect UITextField::editingRect() const {
    CGRect rect = textRectForBounds(bounds());
    if (!clearButton_->isHidden()) {
        rect.size.width = std::max<CGFloat>(0, rect.size.width - kClearButtonSize - kClearButtonGap);
    }
    return rect;
}

namespace {

struct PlacedText {
    std::shared_ptr<const render::TextLayout> layout;
    CGPoint origin;
};

// Where a single line of text sits in `rect`: aligned when it fits, else scrolled.
PlacedText placeText(const render::TextSpec& spec, const CGRect& rect, NSTextAlignment alignment,
                     double scrollX) {
    auto layout = render::layoutText(spec);
    const CGSize size = layout->size();
    const double height = size.height > 0 ? size.height : 0;
    double x = rect.origin.x - scrollX;
    if (size.width <= rect.size.width) {
        if (alignment == NSTextAlignment::center) {
            x = rect.origin.x + (rect.size.width - size.width) / 2;
        } else if (alignment == NSTextAlignment::right) {
            x = rect.maxX() - size.width;
        } else {
            x = rect.origin.x;
        }
    }
    return {layout, {x, rect.origin.y + (rect.size.height - height) / 2}};
}

} // namespace

void UITextField::drawLayer(CALayer& layer, cairo_t* cr) {
    const CGRect rect = editingRect();
    if (rect.size.width <= 0 || rect.size.height <= 0) {
        return;
    }
    cairo_save(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cr);
    const Display shown = display();
    if (shown.text.empty()) {
        if (!placeholder_.empty()) {
            render::TextSpec spec;
            spec.text = placeholder_;
            spec.baseFont = font_.fontSpec();
            spec.spans.push_back({0, placeholder_.size(), font_.fontSpec(), toRGBA(placeholderColor_)});
            spec.lineBreakMode = render::LineBreakMode::truncateTail;
            spec.alignment = alignmentFor(textAlignment_);
            spec.width = rect.size.width;
            spec.maxLines = 1;
            auto layout = render::layoutText(spec);
            layout->draw(cr, {rect.origin.x, rect.origin.y + (rect.size.height - layout->size().height) / 2});
        }
        cairo_restore(cr);
        return;
    }
    render::TextSpec spec;
    spec.text = shown.text;
    spec.baseFont = font_.fontSpec();
    auto addSpan = [&](std::size_t start, std::size_t end, bool underline) {
        if (end > start) {
            render::TextSpan span{start, end, font_.fontSpec(), toRGBA(textColor_)};
            span.underline = underline;
            spec.spans.push_back(span);
        }
    };
    if (shown.marked) {
        addSpan(0, shown.marked->start, false);
        addSpan(shown.marked->start, shown.marked->end, true);
        addSpan(shown.marked->end, shown.text.size(), false);
    } else {
        addSpan(0, shown.text.size(), false);
    }
    const PlacedText placed = placeText(spec, rect, textAlignment_, scrollX_);
    if (editing_ && !shown.selection.empty()) {
        const CGRect start = placed.layout->caretRect(shown.selection.start);
        const CGRect end = placed.layout->caretRect(shown.selection.end);
        const UIColor tint = tintColor().colorWithAlphaComponent(0.25);
        cairo_set_source_rgba(cr, tint.red, tint.green, tint.blue, tint.alpha);
        cairo_rectangle(cr, placed.origin.x + start.origin.x, placed.origin.y + start.origin.y,
                        end.origin.x - start.origin.x, start.size.height);
        cairo_fill(cr);
    }
    placed.layout->draw(cr, placed.origin);
    cairo_restore(cr);
}

CGRect UITextField::caretRect() const {
    const CGRect rect = editingRect();
    const Display shown = display();
    render::TextSpec spec;
    spec.text = shown.text;
    spec.baseFont = font_.fontSpec();
    const PlacedText placed = placeText(spec, rect, textAlignment_, scrollX_);
    CGRect caret = placed.layout->caretRect(shown.selection.end);
    const CGFloat height = shown.text.empty() ? font_.lineHeight() : caret.size.height;
    CGFloat x = placed.origin.x + caret.origin.x;
    if (shown.text.empty()) {
        x = textAlignment_ == NSTextAlignment::center  ? rect.midX()
            : textAlignment_ == NSTextAlignment::right ? rect.maxX() - kCaretWidth
                                                       : rect.origin.x;
    }
    return {{x, rect.origin.y + (rect.size.height - height) / 2}, {kCaretWidth, height}};
}

void UITextField::updateCaret() {
    const bool show = editing_ && editor_.buffer().selection().empty();
    if (!show) {
        caret_->setHidden(true);
        return;
    }
    // Keep the caret inside the text area by scrolling the text sideways.
    const CGRect rect = editingRect();
    CGRect caret = caretRect();
    double scroll = scrollX_;
    if (caret.maxX() > rect.maxX()) {
        scroll += caret.maxX() - rect.maxX();
    } else if (caret.origin.x < rect.origin.x) {
        scroll -= rect.origin.x - caret.origin.x;
    }
    render::TextSpec spec;
    spec.text = display().text;
    spec.baseFont = font_.fontSpec();
    const double textWidth = render::layoutText(spec)->size().width;
    scroll = std::clamp(scroll, 0.0, std::max(0.0, textWidth + kCaretWidth - rect.size.width));
    if (scroll != scrollX_) {
        scrollX_ = scroll;
        caret = caretRect();
        setNeedsDisplay();
    }
    UIView::performWithoutAnimation([&] {
        caret_->setFrame(caret);
        caret_->setHidden(false);
    });
}

void UITextField::startBlinking() {
    std::weak_ptr<UIResponder> weak = weak_from_this();
    blink_ = Timer::scheduledTimer(kBlinkInterval, true, [weak](Timer&) {
        if (auto self = std::dynamic_pointer_cast<UITextField>(weak.lock())) {
            if (self->editing_ && self->editor_.buffer().selection().empty()) {
                self->caret_->setHidden(!self->caret_->isHidden());
            }
        }
    });
    updateCaret();
}

void UITextField::stopBlinking() {
    if (blink_) {
        blink_->invalidate();
        blink_.reset();
    }
    caret_->setHidden(true);
}

void UITextField::updateClearButton() {
    const bool hasText = !text().empty();
    bool visible = false;
    switch (clearButtonMode_) {
    case UITextFieldViewMode::never:
        break;
    case UITextFieldViewMode::whileEditing:
        visible = editing_ && hasText;
        break;
    case UITextFieldViewMode::unlessEditing:
        visible = !editing_ && hasText;
        break;
    case UITextFieldViewMode::always:
        visible = hasText;
        break;
    }
    if (clearButton_->isHidden() == !visible) {
        return;
    }
    attachParts();
    clearButton_->setHidden(!visible);
    setNeedsLayout();
}

void UITextField::contentChanged() {
    updateClearButton();
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
    updateCaret();
}

// ---- Layout and touches ----------------------------------------------------------------------

CGSize UITextField::intrinsicContentSize() const {
    const UIEdgeInsets insets = textInsets();
    render::TextSpec spec;
    spec.text = text().empty() ? placeholder_ : display().text;
    spec.baseFont = font_.fontSpec();
    const double width = render::layoutText(spec)->size().width;
    const double scale = UIScreen::mainScreen().scale();
    const double border = borderStyle_ == UITextBorderStyle::roundedRect ? 12 : 0;
    return {std::ceil((width + insets.left + insets.right + kCaretWidth) * scale) / scale,
            std::ceil((font_.lineHeight() + insets.top + insets.bottom + border) * scale) / scale};
}

CGSize UITextField::sizeThatFits(CGSize) const {
    return intrinsicContentSize();
}

void UITextField::layoutSubviews() {
    attachParts();
    UIControl::layoutSubviews();
    const CGRect rect = textRectForBounds(bounds());
    clearButton_->setFrame({{rect.maxX() - kClearButtonSize, rect.midY() - kClearButtonSize / 2},
                            {kClearButtonSize, kClearButtonSize}});
    updateCaret();
}

CGRect UITextField::textInputRect() const {
    return convertRectToView(caretRect(), nullptr);
}

void UITextField::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    UIControl::touchesBegan(touches, event);
}

void UITextField::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    const bool wasTracking = isTracking();
    UIControl::touchesEnded(touches, event);
    if (!wasTracking || touches.empty() || !isEnabled()) {
        return;
    }
    const CGPoint point = touches.front()->locationInView(this);
    if (!bounds().contains(point)) {
        return;
    }
    auto self = sharedView();
    if (!editing_ && !becomeFirstResponder()) {
        return;
    }
    // The caret goes to the character boundary nearest the tap.
    const Display shown = display();
    render::TextSpec spec;
    spec.text = shown.text;
    spec.baseFont = font_.fontSpec();
    const PlacedText placed = placeText(spec, editingRect(), textAlignment_, scrollX_);
    const std::size_t index =
        placed.layout->indexAtPoint({point.x - placed.origin.x, point.y - placed.origin.y});
    const std::size_t offset = bufferOffsetForDisplayOffset(index);
    editor_.buffer().unmarkText();
    editor_.buffer().setSelection({offset, offset});
    startBlinking();
    contentChanged();
}
