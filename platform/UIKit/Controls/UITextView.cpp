#include "platform/UIKit/Controls/UITextView.h"

#include "platform/QuartzCore/RenderColors.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UITouch.h"
#include "platform/render/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBlinkInterval = 0.5;
constexpr CGFloat kCaretWidth = 2;

render::TextAlignment alignmentFor(NSTextAlignment alignment) {
    switch (alignment) {
    case NSTextAlignment::center:
        return render::TextAlignment::center;
    case NSTextAlignment::right:
        return render::TextAlignment::right;
    case NSTextAlignment::justified:
        return render::TextAlignment::justified;
    default:
        return render::TextAlignment::left;
    }
}

// The view the text is drawn on, as tall as the text.
class TextContentView final : public UIView, public CALayerDelegate {
  public:
    explicit TextContentView(UITextView& owner) : owner_(owner) {
        layer()->setDelegate(this);
        setUserInteractionEnabled(false);
    }
    ~TextContentView() override { layer()->setDelegate(nullptr); }
    void drawLayer(CALayer& layer, cairo_t* context) override { owner_.drawText(context, layer.bounds()); }

  private:
    UITextView& owner_;
};

} // namespace

UITextView::UITextView(const CGRect& frame)
    : UIScrollView(frame),
      editor_(false, TextInputEditor::Hooks{
                         [this](NSRange range, const std::string& replacement) {
                             auto watcher = textDelegate_.lock();
                             return !watcher || watcher->shouldChangeTextIn(*this, range, replacement);
                         },
                         [this] { return maximumLength(); },
                         [this] { userTextDidChange(); },
                     }) {
    setBackgroundColor(UIColor::whiteColor());
    setShowsHorizontalScrollIndicator(false);
    content_ = std::make_shared<TextContentView>(*this);
    caret_ = CALayer::layer();
    caret_->setHidden(true);
    caret_->setBackgroundColor(tintColor());
    content_->layer()->addSublayer(caret_);
}

UITextView::~UITextView() {
    // The content view draws through this object; it must not outlive it in a tree.
    content_->removeFromSuperview();
}

void UITextView::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    insertSubview(content_, 0);
}

void UITextView::setDelegate(const std::shared_ptr<UITextViewDelegate>& delegate) {
    textDelegate_ = delegate;
    UIScrollView::setDelegate(delegate);
}

void UITextView::setText(const std::string& text) {
    if (text == editor_.buffer().text() && !editor_.buffer().hasMarkedText()) {
        return;
    }
    editor_.buffer().setText(text);
    contentChanged();
}

void UITextView::setFont(const UIFont& font) {
    if (font_ == font) {
        return;
    }
    font_ = font;
    contentChanged();
}

void UITextView::setTextColor(const UIColor& color) {
    if (textColor_ == color) {
        return;
    }
    textColor_ = color;
    content_->setNeedsDisplay();
}

void UITextView::setTextAlignment(NSTextAlignment alignment) {
    if (textAlignment_ == alignment) {
        return;
    }
    textAlignment_ = alignment;
    contentChanged();
}

void UITextView::setTextContainerInset(const UIEdgeInsets& insets) {
    if (textContainerInset_ == insets) {
        return;
    }
    textContainerInset_ = insets;
    contentChanged();
}

void UITextView::setEditable(bool editable) {
    editable_ = editable;
    if (!editable && editing_) {
        resignFirstResponder();
    }
}

void UITextView::setPlaceholderValue(const std::string& placeholder) {
    if (placeholder_ == placeholder) {
        return;
    }
    placeholder_ = placeholder;
    content_->setNeedsDisplay();
}

void UITextView::setPlaceholderColorValue(const UIColor& color) {
    if (placeholderColor_ == color) {
        return;
    }
    placeholderColor_ = color;
    content_->setNeedsDisplay();
}

// ---- Editing --------------------------------------------------------------------------------

bool UITextView::becomeFirstResponder() {
    if (editing_) {
        return true;
    }
    if (!canBecomeFirstResponder()) {
        return false;
    }
    auto self = sharedView();
    auto watcher = textDelegate_.lock();
    if (watcher && !watcher->shouldBeginEditing(*this)) {
        return false;
    }
    if (!UIScrollView::becomeFirstResponder()) {
        return false;
    }
    editing_ = true;
    editor_.buffer().moveToEnd(false);
    startBlinking();
    if (watcher) {
        watcher->didBeginEditing(*this);
    }
    return true;
}

bool UITextView::resignFirstResponder() {
    if (!editing_) {
        return UIScrollView::resignFirstResponder();
    }
    auto self = sharedView();
    auto watcher = textDelegate_.lock();
    if (watcher && !watcher->shouldEndEditing(*this)) {
        return false;
    }
    if (!UIScrollView::resignFirstResponder()) {
        return false;
    }
    editing_ = false;
    editor_.buffer().unmarkText();
    stopBlinking();
    contentChanged();
    if (watcher) {
        watcher->didEndEditing(*this);
    }
    return true;
}

void UITextView::userTextDidChange() {
    auto self = sharedView();
    contentChanged();
    if (auto watcher = textDelegate_.lock()) {
        watcher->didChange(*this);
    }
}

void UITextView::insertText(const std::string& text) {
    if (!editing_) {
        return;
    }
    startBlinking();
    editor_.insert(text);
}

void UITextView::setMarkedText(const std::string& text) {
    if (!editing_) {
        return;
    }
    startBlinking();
    editor_.setMarkedText(text);
}

void UITextView::deleteBackward() {
    if (!editing_) {
        return;
    }
    startBlinking();
    editor_.deleteBackward();
}

bool UITextView::keyCommand(UIKeyCommand command) {
    if (!editing_) {
        return UIResponder::keyCommand(command);
    }
    TextEditingBuffer& buffer = editor_.buffer();
    switch (command) {
    case UIKeyCommand::returnKey:
        insertText("\n");
        return true;
    case UIKeyCommand::leftArrow:
        buffer.moveLeft(false);
        break;
    case UIKeyCommand::rightArrow:
        buffer.moveRight(false);
        break;
    case UIKeyCommand::upArrow:
    case UIKeyCommand::downArrow: {
        // The character nearest the same x on the line above or below.
        auto layout = textLayout();
        const CGRect caret = layout->caretRect(buffer.selection().end);
        const double y = command == UIKeyCommand::upArrow ? caret.minY() - 1 : caret.maxY() + 1;
        const std::size_t index = layout->indexAtPoint({caret.origin.x, y});
        buffer.setSelection({index, index});
        break;
    }
    case UIKeyCommand::home:
        buffer.moveToStart(false);
        break;
    case UIKeyCommand::end:
        buffer.moveToEnd(false);
        break;
    case UIKeyCommand::deleteForward:
        editor_.deleteForward();
        break;
    case UIKeyCommand::escape:
    case UIKeyCommand::tab:
        return UIResponder::keyCommand(command);
    }
    startBlinking();
    contentChanged();
    return true;
}

NSRange UITextView::selectedRange() const {
    return editor_.selectedRange();
}

void UITextView::setSelectedRange(NSRange range) {
    editor_.setSelectedRange(range);
    contentChanged();
}

void UITextView::selectAll() {
    editor_.buffer().selectAll();
    contentChanged();
}

std::optional<NSRange> UITextView::markedTextRange() const {
    return editor_.markedTextRange();
}

void UITextView::paste() {
    if (editing_) {
        editor_.paste();
    }
}

// ---- Text layout and drawing ---------------------------------------------------------------------

CGFloat UITextView::wrapWidth() const {
    return std::max<CGFloat>(1, bounds().size.width - textContainerInset_.left - textContainerInset_.right);
}

std::shared_ptr<const render::TextLayout> UITextView::textLayout() const {
    render::TextSpec spec;
    spec.text = editor_.buffer().text();
    spec.baseFont = font_.fontSpec();
    spec.alignment = alignmentFor(textAlignment_);
    spec.width = wrapWidth();
    const auto& marked = editor_.buffer().markedRange();
    auto addSpan = [&](std::size_t start, std::size_t end, bool underline) {
        if (end > start) {
            render::TextSpan span{start, end, font_.fontSpec(), toRGBA(textColor_)};
            span.underline = underline;
            spec.spans.push_back(span);
        }
    };
    if (marked) {
        addSpan(0, marked->start, false);
        addSpan(marked->start, marked->end, true);
        addSpan(marked->end, spec.text.size(), false);
    } else {
        addSpan(0, spec.text.size(), false);
    }
    return render::layoutText(spec);
}

void UITextView::drawText(cairo_t* cr, const CGRect&) {
    const CGPoint origin{textContainerInset_.left, textContainerInset_.top};
    if (text().empty()) {
        if (!placeholder_.empty()) {
            render::TextSpec spec;
            spec.text = placeholder_;
            spec.baseFont = font_.fontSpec();
            spec.spans.push_back({0, placeholder_.size(), font_.fontSpec(), toRGBA(placeholderColor_)});
            spec.alignment = alignmentFor(textAlignment_);
            spec.width = wrapWidth();
            render::layoutText(spec)->draw(cr, origin);
        }
        return;
    }
    auto layout = textLayout();
    const auto selection = editor_.buffer().selection();
    if (editing_ && !selection.empty()) {
        const CGRect start = layout->caretRect(selection.start);
        const CGRect end = layout->caretRect(selection.end);
        const UIColor tint = tintColor().colorWithAlphaComponent(0.25);
        cairo_set_source_rgba(cr, tint.red, tint.green, tint.blue, tint.alpha);
        if (start.origin.y == end.origin.y) {
            cairo_rectangle(cr, origin.x + start.origin.x, origin.y + start.origin.y,
                            end.origin.x - start.origin.x, start.size.height);
        } else {
            const double width = wrapWidth();
            cairo_rectangle(cr, origin.x + start.origin.x, origin.y + start.origin.y, width - start.origin.x,
                            start.size.height);
            cairo_rectangle(cr, origin.x, origin.y + start.maxY(), width, end.origin.y - start.maxY());
            cairo_rectangle(cr, origin.x, origin.y + end.origin.y, end.origin.x, end.size.height);
        }
        cairo_fill(cr);
    }
    layout->draw(cr, origin);
}

CGRect UITextView::caretRectInContent() const {
    CGRect caret;
    if (text().empty()) {
        caret = {{0, 0}, {kCaretWidth, font_.lineHeight()}};
    } else {
        caret = textLayout()->caretRect(editor_.buffer().selection().end);
    }
    return {{textContainerInset_.left + caret.origin.x, textContainerInset_.top + caret.origin.y},
            {kCaretWidth, caret.size.height}};
}

CGSize UITextView::sizeThatFits(CGSize size) const {
    render::TextSpec spec;
    spec.text = text().empty() ? placeholder_ : text();
    spec.baseFont = font_.fontSpec();
    const double width =
        size.width > 0 ? size.width - textContainerInset_.left - textContainerInset_.right : 0;
    if (width > 0) {
        spec.width = width;
    }
    const CGSize textSize = render::layoutText(spec)->size();
    const double scale = UIScreen::mainScreen().scale();
    const double height = std::max<double>(textSize.height, font_.lineHeight());
    return {size.width > 0 ? size.width
                           : std::ceil(textSize.width * scale) / scale + textContainerInset_.left +
                                 textContainerInset_.right,
            std::ceil((height + textContainerInset_.top + textContainerInset_.bottom) * scale) / scale};
}

void UITextView::contentChanged() {
    content_->setNeedsDisplay();
    setNeedsLayout();
}

void UITextView::layoutSubviews() {
    attachParts();
    UIScrollView::layoutSubviews();
    const CGFloat width = bounds().size.width;
    const CGFloat textHeight = std::max<CGFloat>(
        text().empty() ? font_.lineHeight() : textLayout()->size().height, font_.lineHeight());
    const CGFloat height = std::ceil(textHeight + textContainerInset_.top + textContainerInset_.bottom);
    const CGSize contentSize{width, std::max(height, bounds().size.height)};
    if (content_->frame().size != contentSize) {
        content_->setFrame({{0, 0}, contentSize});
        content_->setNeedsDisplay();
    }
    setContentSize({width, height});
    if (editing_ && editor_.buffer().selection().empty()) {
        const CGRect caret = caretRectInContent();
        UIView::performWithoutAnimation([&] { caret_->setFrame(caret); });
        // Keep the caret in sight.
        const CGRect visible = bounds();
        if (caret.maxY() > visible.maxY() || caret.minY() < visible.minY()) {
            scrollRectToVisible(caret.insetBy(0, -textContainerInset_.bottom / 2), false);
        }
    } else {
        caret_->setHidden(true);
    }
}

void UITextView::startBlinking() {
    std::weak_ptr<UIResponder> weak = weak_from_this();
    blink_ = Timer::scheduledTimer(kBlinkInterval, true, [weak](Timer&) {
        if (auto self = std::dynamic_pointer_cast<UITextView>(weak.lock())) {
            if (self->editing_ && self->editor_.buffer().selection().empty()) {
                self->caret_->setHidden(!self->caret_->isHidden());
            }
        }
    });
    caret_->setHidden(!editor_.buffer().selection().empty());
    setNeedsLayout();
}

void UITextView::stopBlinking() {
    if (blink_) {
        blink_->invalidate();
        blink_.reset();
    }
    caret_->setHidden(true);
}

CGRect UITextView::textInputRect() const {
    return content_->convertRectToView(caretRectInContent(), nullptr);
}

void UITextView::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (touches.empty() || !editable_) {
        return;
    }
    auto self = sharedView();
    if (!editing_ && !becomeFirstResponder()) {
        return;
    }
    const CGPoint point = touches.front()->locationInView(content_.get());
    const std::size_t index =
        textLayout()->indexAtPoint({point.x - textContainerInset_.left, point.y - textContainerInset_.top});
    editor_.buffer().unmarkText();
    editor_.buffer().setSelection({index, index});
    startBlinking();
    contentChanged();
}
