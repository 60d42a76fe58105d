#include "platform/UIKit/Controllers/UIAlertController.h"
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
    EXPECT_LT(field->frame().maxY(), find("确定")->frame().minY()) << "the field lies above the buttons";
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
