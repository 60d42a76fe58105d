#include "platform/UIKit/Controls/TextEditingBuffer.h"
#include "platform/UIKit/Controls/UIPasteboard.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/Controls/UITextView.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Recorder : public UITextFieldDelegate {
  public:
    bool shouldChangeCharactersIn(UITextField&, NSRange range, const std::string& replacement) override {
        asked.push_back({range, replacement});
        return !refuseDigits || replacement.find_first_of("0123456789") == std::string::npos;
    }
    bool shouldReturn(UITextField& field) override {
        returned = field.text();
        return true;
    }
    void didBeginEditing(UITextField&) override { ++began; }
    void didEndEditing(UITextField&) override { ++ended; }
    std::vector<std::pair<NSRange, std::string>> asked;
    bool refuseDigits = false;
    std::string returned;
    int began = 0;
    int ended = 0;
};

class TextInput : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
        window->makeKeyAndVisible();
        field = std::make_shared<UITextField>(CGRectMake(10, 10, 300, 40));
        window->addSubview(field);
        recorder = std::make_shared<Recorder>();
        field->setDelegate(recorder);
        field->addTarget([this](UIControl&) { ++changes; }, UIControlEventEditingChanged);
        window->layoutIfNeeded();
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UITextField> field;
    std::shared_ptr<Recorder> recorder;
    int changes = 0;
};

} // namespace

TEST(TextEditingBuffer, MovesAndDeletesByWholeCharacters) {
    TextEditingBuffer buffer;
    buffer.setText("a👍🏽中");
    EXPECT_EQ(buffer.deletionRange(), (TextEditingBuffer::Range{9, 12})) << "the Chinese character";
    buffer.moveLeft(false);
    EXPECT_EQ(buffer.deletionRange(), (TextEditingBuffer::Range{1, 9})) << "the thumb with its skin tone";
    EXPECT_EQ(TextEditingBuffer::utf16Length("a👍🏽中"), 6u);
    EXPECT_EQ(TextEditingBuffer::prefixFitting("ab👍🏽cd", 4), "ab") << "never half an emoji";
    EXPECT_EQ(TextEditingBuffer::prefixFitting("中文字", 2), "中文");
    EXPECT_EQ(TextEditingBuffer::byteRange("a中b", {1, 1}), (TextEditingBuffer::Range{1, 4}));
    EXPECT_EQ(TextEditingBuffer::utf16Range("a中b", {4, 5}), (NSRange{2, 1}));
    buffer.setSelection({2, 11});
    EXPECT_EQ(buffer.selection(), (TextEditingBuffer::Range{1, 9})) << "snapped to character boundaries";
}

TEST_F(TextInput, ATapStartsEditingAndTypingDeletingAndReturnWork) {
    TouchScript(*window).tap({100, 30});
    ASSERT_TRUE(field->isEditing());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(recorder->began, 1);
    window->handleTextInput("h");
    window->handleTextInput("i");
    window->handleTextInput("!");
    EXPECT_EQ(field->text(), "hi!");
    window->handleDeleteBackward();
    EXPECT_EQ(field->text(), "hi");
    window->handleKeyCommand(UIKeyCommand::leftArrow);
    window->handleTextInput("_");
    EXPECT_EQ(field->text(), "h_i");
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(recorder->asked.back().first, (NSRange{1, 0}));

    int exits = 0;
    field->addTarget([&](UIControl&) { ++exits; }, UIControlEventEditingDidEndOnExit);
    window->handleKeyCommand(UIKeyCommand::returnKey);
    EXPECT_EQ(recorder->returned, "h_i");
    EXPECT_EQ(exits, 1);

    field->setText("set in code");
    EXPECT_EQ(changes, 5) << "code does not send editing changed";
    field->resignFirstResponder();
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(recorder->ended, 1);
    window->handleTextInput("x");
    EXPECT_EQ(field->text(), "set in code") << "no typing into a field that is not editing";
}

TEST_F(TextInput, ComposedChineseIsMarkedUntilCommitted) {
    field->becomeFirstResponder();
    window->handleTextInput("看");
    window->handleMarkedText("n");
    window->handleMarkedText("ni");
    window->handleMarkedText("你");
    EXPECT_EQ(field->text(), "看你");
    EXPECT_EQ(field->markedTextRange(), (NSRange{1, 1}));
    window->handleMarkedText("你好");
    // The host ends the composition, then delivers the committed text.
    window->handleMarkedText("");
    window->handleTextInput("你好");
    EXPECT_EQ(field->text(), "看你好");
    EXPECT_FALSE(field->markedTextRange());
    EXPECT_EQ(field->selectedRange(), (NSRange{3, 0}));
    window->handleDeleteBackward();
    EXPECT_EQ(field->text(), "看你");
}

TEST_F(TextInput, TheDelegateCanRefuseAnEdit) {
    recorder->refuseDigits = true;
    field->becomeFirstResponder();
    window->handleTextInput("a");
    window->handleTextInput("1");
    window->handleTextInput("b");
    EXPECT_EQ(field->text(), "ab");
    EXPECT_EQ(changes, 2);
}

TEST_F(TextInput, SelectingEverythingThenTypingReplacesIt) {
    field->setText("旧的文字");
    field->becomeFirstResponder();
    field->selectAll();
    EXPECT_EQ(field->selectedRange(), (NSRange{0, 4}));
    window->handleTextInput("新");
    EXPECT_EQ(field->text(), "新");
    field->selectAll();
    window->handleDeleteBackward();
    EXPECT_EQ(field->text(), "");
}

TEST_F(TextInput, PastingInsertsOneLineAtTheCaret) {
    field->becomeFirstResponder();
    window->handleTextInput("ac");
    field->setSelectedRange({1, 0});
    UIPasteboard::generalPasteboard().setString("b1\nb2");
    field->paste();
    EXPECT_EQ(field->text(), "ab1 b2c");
    EXPECT_EQ(field->selectedRange(), (NSRange{6, 0}));
}

TEST_F(TextInput, ASecureFieldShowsDotsAndKeepsItsTextToItself) {
    field->setSecureTextEntry(true);
    field->becomeFirstResponder();
    window->handleTextInput("密码12");
    EXPECT_EQ(field->text(), "密码12");
    field->selectAll();
    UIPasteboard::generalPasteboard().setString("before");
    field->copy();
    EXPECT_EQ(UIPasteboard::generalPasteboard().string(), "before");
    field->cut();
    EXPECT_EQ(field->text(), "密码12");
}

TEST_F(TextInput, TheClearButtonEmptiesTheFieldWhileEditing) {
    field->setClearButtonMode(UITextFieldViewMode::whileEditing);
    field->becomeFirstResponder();
    window->handleTextInput("关键字");
    window->layoutIfNeeded();
    TouchScript(*window).tap({10 + 300 - 10, 30});
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(changes, 2);
}

TEST_F(TextInput, TheCaretBlinksOnTheClock) {
    field->becomeFirstResponder();
    window->handleTextInput("a");
    const CALayer* caret = nullptr;
    for (const auto& sublayer : field->layer()->sublayers()) {
        if (sublayer->frame().size.width == 2) {
            caret = sublayer.get();
        }
    }
    ASSERT_TRUE(caret);
    EXPECT_FALSE(caret->isHidden());
    RunLoop::main().advance(0.5);
    EXPECT_TRUE(caret->isHidden());
    RunLoop::main().advance(0.5);
    EXPECT_FALSE(caret->isHidden());
    EXPECT_GT(field->caretRect().origin.x, 5) << "after the typed letter";
}

namespace {

class NoteWatcher : public UITextViewDelegate {
  public:
    void didChange(UITextView& view) override { texts.push_back(view.text()); }
    std::vector<std::string> texts;
};

} // namespace

TEST_F(TextInput, ATextViewTakesLinesAndTellsItsDelegate) {
    auto view = std::make_shared<UITextView>(CGRectMake(0, 100, 200, 80));
    window->addSubview(view);
    auto watcher = std::make_shared<NoteWatcher>();
    view->setDelegate(watcher);
    view->becomeFirstResponder();
    window->handleTextInput("第一行");
    window->handleKeyCommand(UIKeyCommand::returnKey);
    window->handleTextInput("second");
    EXPECT_EQ(view->text(), "第一行\nsecond");
    EXPECT_EQ(watcher->texts.size(), 3u);
    for (int i = 0; i < 20; ++i) {
        window->handleTextInput(" more words that wrap");
    }
    window->layoutIfNeeded();
    EXPECT_GT(view->contentSize().height, 80) << "the text grew taller than the view";
    EXPECT_GT(view->contentOffset().y, 0) << "the caret is kept in sight";
}
