#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

using Calls = std::vector<std::string>;

class Alerts : public ScreenTest {
  protected:
    std::shared_ptr<RecordingViewController> showPage() {
        auto page = std::make_shared<RecordingViewController>("Page", log);
        window->setRootViewController(page);
        settle();
        log->clear();
        return page;
    }
};

} // namespace

TEST_F(Alerts, AnActionDismissesTheAlertAndThenRunsItsHandler) {
    auto page = showPage();
    auto alert = UIAlertController::alertControllerWithTitle("确认退出登录？", std::nullopt,
                                                             UIAlertControllerStyle::alert);
    std::vector<std::string> ran;
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    alert->addAction(
        UIAlertAction::actionWithTitle("确认", UIAlertActionStyle::destructive, [&](UIAlertAction& action) {
            ran.push_back(action.title());
            EXPECT_EQ(page->presentedViewController(), nullptr) << "the alert is gone when the handler runs";
        }));
    page->presentViewController(alert, true);
    settle();
    EXPECT_EQ(page->presentedViewController(), alert);
    EXPECT_TRUE(log->empty()) << "the page stays on screen under an alert";

    tap(find("确认"));
    EXPECT_TRUE(ran.empty());
    settle();
    EXPECT_EQ(ran, (std::vector<std::string>{"确认"}));
    EXPECT_EQ(page->presentedViewController(), nullptr);
    EXPECT_EQ(find("确认"), nullptr);
    EXPECT_TRUE(log->empty());
}

TEST_F(Alerts, ASecondTapDuringTheDismissalDoesNothing) {
    auto page = showPage();
    auto alert = UIAlertController::alertControllerWithTitle("", std::nullopt, UIAlertControllerStyle::alert);
    int runs = 0;
    alert->addAction(UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::defaultStyle,
                                                    [&](UIAlertAction&) { ++runs; }));
    page->presentViewController(alert, false);
    auto button = find("确定");
    const CGRect frame = driver.frameInWindow(button);
    tap(button);
    tapAt({frame.midX(), frame.midY()});
    settle();
    EXPECT_EQ(runs, 1);
}

TEST_F(Alerts, ThreeActionsStackAndTheCancelTitleIsBold) {
    auto page = showPage();
    auto alert = UIAlertController::alertControllerWithTitle("标题", "消息", UIAlertControllerStyle::alert);
    for (const char* title : {"一", "二", "三"}) {
        alert->addAction(UIAlertAction::actionWithTitle(title, UIAlertActionStyle::defaultStyle));
    }
    page->presentViewController(alert, false);
    settle();
    const CGRect first = find("一")->frame();
    const CGRect second = find("二")->frame();
    EXPECT_EQ(first.minX(), second.minX());
    EXPECT_LT(first.maxY(), second.maxY());
}

TEST_F(Alerts, AnActionSheetSitsAtTheBottomAndATapOutsideCancels) {
    auto page = showPage();
    auto sheet = UIAlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                             UIAlertControllerStyle::actionSheet);
    std::vector<std::string> ran;
    const auto record = [&](UIAlertAction& action) { ran.push_back(action.title()); };
    sheet->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel, record));
    sheet->addAction(UIAlertAction::actionWithTitle("保存", UIAlertActionStyle::defaultStyle, record));
    EXPECT_EQ(sheet->actions().back()->title(), "取消") << "the cancel action comes last";
    page->presentViewController(sheet, true);
    settle();
    EXPECT_GT(find("取消")->convertPointToView({0, 0}, nullptr).y,
              find("保存")->convertPointToView({0, 0}, nullptr).y);
    EXPECT_GT(find("保存")->convertPointToView({0, 0}, nullptr).y, window->bounds().midY());

    tapAt({window->bounds().midX(), 100});
    settle();
    EXPECT_EQ(ran, (std::vector<std::string>{"取消"}));
    EXPECT_EQ(page->presentedViewController(), nullptr);
}

TEST_F(Alerts, AnAlertIgnoresTapsOutsideItsCard) {
    auto page = showPage();
    auto alert =
        UIAlertController::alertControllerWithTitle("标题", std::nullopt, UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    page->presentViewController(alert, false);
    tapAt({10, 100});
    settle();
    EXPECT_EQ(page->presentedViewController(), alert);
}

TEST_F(Alerts, TextFieldsTakeTypingAndTheHandlerReadsThem) {
    auto page = showPage();
    auto alert = UIAlertController::alertControllerWithTitle("", std::nullopt, UIAlertControllerStyle::alert);
    alert->addTextFieldWithConfigurationHandler(nullptr);
    std::string entered;
    alert->addAction(
        UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::defaultStyle,
                                       [&](UIAlertAction&) { entered = alert->textFields()[0]->text(); }));
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    page->presentViewController(alert, true);
    settle();
    ASSERT_EQ(alert->textFields().size(), 1u);
    const auto& field = alert->textFields()[0];
    EXPECT_TRUE(field->isFirstResponder()) << "ready for typing";
    EXPECT_LT(driver.frameInWindow(field).maxY(), driver.frameInWindow(find("确定")).minY())
        << "the field lies above the buttons";
    window->handleTextInput("新昵称");
    tap(find("确定"));
    settle();
    EXPECT_EQ(entered, "新昵称");
    EXPECT_FALSE(field->isFirstResponder());

    auto sheet = UIAlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                             UIAlertControllerStyle::actionSheet);
    sheet->addTextFieldWithConfigurationHandler(nullptr);
    EXPECT_TRUE(sheet->textFields().empty()) << "an action sheet takes no text fields";
}

namespace {

// About 2,000 characters in several paragraphs.
std::string longMessage() {
    std::string text;
    for (int paragraph = 0; paragraph < 10; ++paragraph) {
        for (int sentence = 0; sentence < 20; ++sentence) {
            text += "这是一条很长的公告。";
        }
        text += "\n";
    }
    return text;
}

// The part of the screen that belongs to neither the status bar nor the home indicator.
CGRect safeRect(const UIWindow& window) {
    const UIEdgeInsets safe = window.safeAreaInsets();
    return {{0, safe.top}, {window.bounds().width(), window.bounds().height() - safe.top - safe.bottom}};
}

std::shared_ptr<UIScrollView> enclosingScrollView(const std::shared_ptr<UIView>& view) {
    for (auto ancestor = view ? view->superview() : nullptr; ancestor; ancestor = ancestor->superview()) {
        if (auto scroll = std::dynamic_pointer_cast<UIScrollView>(ancestor)) {
            return scroll;
        }
    }
    return nullptr;
}

} // namespace

TEST_F(Alerts, ALongMessageScrollsWhileTheTitleAndTheButtonStayInsideTheSafeArea) {
    auto page = showPage();
    const std::string message = longMessage();
    auto alert =
        UIAlertController::alertControllerWithTitle("系统升级公告", message, UIAlertControllerStyle::alert);
    int closed = 0;
    alert->addAction(UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::cancel,
                                                    [&](UIAlertAction&) { ++closed; }));
    page->presentViewController(alert, true);
    settle();

    const CGRect safe = safeRect(*window);
    const CGRect title = driver.frameInWindow(find("系统升级公告"));
    const CGRect button = driver.frameInWindow(find("确定"));
    EXPECT_TRUE(safe.contains(title)) << "the title is in sight";
    EXPECT_TRUE(safe.contains(button)) << "the button is in sight";
    EXPECT_LT(title.maxY(), button.minY());

    // The message scrolls under a finger and under the wheel; nothing is chosen meanwhile.
    auto scroll = enclosingScrollView(find(message));
    ASSERT_NE(scroll, nullptr);
    const CGRect viewport = driver.frameInWindow(scroll);
    EXPECT_TRUE(safe.contains(viewport));
    EXPECT_GT(scroll->contentSize().height, 3 * viewport.height());
    EXPECT_EQ(scroll->contentOffset().y, 0);
    EXPECT_TRUE(driver.scroll(scroll, 0, 120));
    settle();
    const CGFloat wheeled = scroll->contentOffset().y;
    EXPECT_GT(wheeled, 0);
    driver.drag({viewport.midX(), viewport.maxY() - 20}, {viewport.midX(), viewport.minY() + 20});
    settle();
    EXPECT_GT(scroll->contentOffset().y, wheeled + viewport.height() / 2);
    EXPECT_LE(scroll->contentOffset().y, scroll->contentSize().height - viewport.height() + 0.5);
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(page->presentedViewController(), alert);
    EXPECT_EQ(driver.frameInWindow(find("确定")), button) << "the button stays where it was";

    tap(find("确定"));
    settle();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(page->presentedViewController(), nullptr);
}

TEST_F(Alerts, ATitleTooLongForTheScreenLosesItsLastLinesAndTheButtonsStay) {
    auto page = showPage();
    const std::string message = longMessage();
    auto alert = UIAlertController::alertControllerWithTitle(message, message, UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    alert->addAction(UIAlertAction::actionWithTitle("好", UIAlertActionStyle::defaultStyle));
    page->presentViewController(alert, false);
    settle();
    const CGRect safe = safeRect(*window);
    for (const char* button : {"取消", "好"}) {
        EXPECT_TRUE(safe.contains(driver.frameInWindow(find(button)))) << button;
    }
    const auto labels =
        driver.findAll([&](const UIView& view) { return view.accessibilityLabel() == message; });
    ASSERT_EQ(labels.size(), 2u) << "the title and the message";
    const CGRect title = driver.frameInWindow(labels[0]);
    EXPECT_TRUE(safe.contains(title));
    EXPECT_GT(title.height(), 40) << "the title keeps what fits";
    auto scroll = enclosingScrollView(labels[1]);
    ASSERT_NE(scroll, nullptr);
    EXPECT_GT(driver.frameInWindow(scroll).height(), 40) << "a few lines of the message stay in sight";
}

TEST_F(Alerts, ManyButtonsScrollAndTheCancelButtonStaysInSight) {
    auto page = showPage();
    auto alert =
        UIAlertController::alertControllerWithTitle("选择线路", std::nullopt, UIAlertControllerStyle::alert);
    std::vector<std::string> ran;
    const auto record = [&](UIAlertAction& action) { ran.push_back(action.title()); };
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel, record));
    for (int line = 1; line <= 30; ++line) {
        alert->addAction(UIAlertAction::actionWithTitle("线路" + std::to_string(line),
                                                        UIAlertActionStyle::defaultStyle, record));
    }
    page->presentViewController(alert, false);
    settle();
    const CGRect safe = safeRect(*window);
    const CGRect cancel = driver.frameInWindow(find("取消"));
    EXPECT_TRUE(safe.contains(cancel));
    EXPECT_TRUE(safe.contains(driver.frameInWindow(find("选择线路"))));
    EXPECT_GT(cancel.minY(), driver.frameInWindow(find("线路1")).maxY()) << "the cancel button comes last";

    // The last line is out of sight until the column is scrolled to it.
    auto column = enclosingScrollView(find("线路30"));
    ASSERT_NE(column, nullptr);
    EXPECT_FALSE(driver.frameInWindow(column).contains(driver.frameInWindow(find("线路30"))));
    for (int wheel = 0;
         wheel < 30 && !driver.frameInWindow(column).contains(driver.frameInWindow(find("线路30")));
         ++wheel) {
        EXPECT_TRUE(driver.scroll(column, 0, 200));
        settle(0.5);
    }
    EXPECT_EQ(driver.frameInWindow(find("取消")), cancel);
    tap(find("线路30"));
    settle();
    EXPECT_EQ(ran, (std::vector<std::string>{"线路30"}));
}

TEST_F(Alerts, AnActionSheetWithManyActionsScrollsThemAboveItsCancelCard) {
    auto page = showPage();
    auto sheet = UIAlertController::alertControllerWithTitle("分享到", std::nullopt,
                                                             UIAlertControllerStyle::actionSheet);
    std::vector<std::string> ran;
    const auto record = [&](UIAlertAction& action) { ran.push_back(action.title()); };
    for (int target = 1; target <= 25; ++target) {
        sheet->addAction(UIAlertAction::actionWithTitle("好友" + std::to_string(target),
                                                        UIAlertActionStyle::defaultStyle, record));
    }
    sheet->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel, record));
    page->presentViewController(sheet, true);
    settle();
    const CGRect safe = safeRect(*window);
    const CGRect cancel = driver.frameInWindow(find("取消"));
    EXPECT_TRUE(safe.contains(cancel));
    EXPECT_GT(cancel.minY(), safe.midY());
    EXPECT_TRUE(safe.contains(driver.frameInWindow(find("分享到"))));
    auto column = enclosingScrollView(find("好友1"));
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(enclosingScrollView(find("取消")) == column, false) << "the cancel button never scrolls";
    const CGRect viewport = driver.frameInWindow(column);
    EXPECT_TRUE(safe.contains(viewport));
    EXPECT_LT(viewport.maxY(), cancel.minY());

    driver.drag({viewport.midX(), viewport.maxY() - 10}, {viewport.midX(), viewport.minY() + 10});
    settle();
    EXPECT_GT(column->contentOffset().y, 0);
    EXPECT_TRUE(ran.empty()) << "a drag chooses nothing";
    // A tap beside the cards still cancels.
    tapAt({window->bounds().midX(), safe.minY() + 2});
    settle();
    EXPECT_EQ(ran, (std::vector<std::string>{"取消"}));
}

TEST_F(Alerts, EscapeCancelsAndReturnChoosesTheOnlyOrTheDefaultAction) {
    auto page = showPage();
    std::vector<std::string> ran;
    const auto record = [&](UIAlertAction& action) { ran.push_back(action.title()); };
    const auto present = [&](const std::shared_ptr<UIAlertController>& alert) {
        page->presentViewController(alert, true);
        settle();
        ASSERT_EQ(page->presentedViewController(), alert);
    };

    // One button: either key closes the alert.
    for (const UIKeyCommand key : {UIKeyCommand::returnKey, UIKeyCommand::escape}) {
        auto notice =
            UIAlertController::alertControllerWithTitle("公告", "内容", UIAlertControllerStyle::alert);
        notice->addAction(UIAlertAction::actionWithTitle("确定", UIAlertActionStyle::cancel, record));
        present(notice);
        driver.pressKey(key);
        settle();
        EXPECT_EQ(page->presentedViewController(), nullptr);
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"确定", "确定"}));
    ran.clear();

    // Return never confirms a destructive choice; Escape cancels it.
    auto logout = UIAlertController::alertControllerWithTitle("确认退出登录？", std::nullopt,
                                                              UIAlertControllerStyle::alert);
    logout->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel, record));
    logout->addAction(UIAlertAction::actionWithTitle("确认", UIAlertActionStyle::destructive, record));
    present(logout);
    driver.pressKey(UIKeyCommand::returnKey);
    settle();
    EXPECT_EQ(page->presentedViewController(), logout);
    driver.pressKey(UIKeyCommand::escape);
    settle();
    EXPECT_EQ(ran, (std::vector<std::string>{"取消"}));
    ran.clear();

    // In a text field Return chooses the default action, Escape still cancels.
    for (const UIKeyCommand key : {UIKeyCommand::returnKey, UIKeyCommand::escape}) {
        auto rename =
            UIAlertController::alertControllerWithTitle("", std::nullopt, UIAlertControllerStyle::alert);
        rename->addTextFieldWithConfigurationHandler(nullptr);
        rename->addAction(UIAlertAction::actionWithTitle(
            "确定", UIAlertActionStyle::defaultStyle, [&](UIAlertAction& action) {
                ran.push_back(action.title() + ":" + rename->textFields()[0]->text());
            }));
        rename->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel, record));
        present(rename);
        driver.type("新名字");
        driver.pressKey(key);
        settle();
        EXPECT_EQ(page->presentedViewController(), nullptr);
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"确定:新名字", "取消"}));
    ran.clear();

    // An action sheet: Escape is its cancel button; without one, keys do nothing, and
    // Return never picks one of its choices.
    auto sheet = UIAlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                             UIAlertControllerStyle::actionSheet);
    sheet->addAction(UIAlertAction::actionWithTitle("保存", UIAlertActionStyle::defaultStyle, record));
    sheet->addAction(UIAlertAction::actionWithTitle("删除", UIAlertActionStyle::destructive, record));
    present(sheet);
    driver.pressKey(UIKeyCommand::escape);
    driver.pressKey(UIKeyCommand::returnKey);
    settle();
    EXPECT_EQ(page->presentedViewController(), sheet);
    EXPECT_TRUE(ran.empty());
    tap(find("保存"));
    settle();
    EXPECT_EQ(ran, (std::vector<std::string>{"保存"}));
    EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr)
        << "nothing keeps the keys once the alert is gone";
}
