#include "platform/QMUIKit/QMUITips.h"

#include "platform/Foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class QMUITipsTest : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        QMUITips::hideAllTips();
        QMUITips::setChangeHandler([this] { ++changes; });
    }
    void TearDown() override { QMUITips::setChangeHandler(nullptr); }

    int changes = 0;
};

} // namespace

TEST_F(QMUITipsTest, TextTipsHideThemselvesAndLoadingTipsStay) {
    QMUITips::showLoadingInView(nullptr);
    QMUITips::showError("网络不给力");
    QMUITips::showSucceed("保存成功");
    ASSERT_EQ(QMUITips::shownTips().size(), 3u);
    EXPECT_EQ(changes, 3);

    const auto& error = QMUITips::shownTips()[1];
    EXPECT_EQ(error.kind, QMUITips::Kind::error);
    EXPECT_EQ(error.text, "网络不给力");
    EXPECT_TRUE(error.inKeyWindow);
    EXPECT_EQ(error.hideDelay, 1.5);
    EXPECT_FALSE(QMUITips::shownTips()[0].hideDelay.has_value());

    RunLoop::main().advance(1.4);
    EXPECT_EQ(QMUITips::shownTips().size(), 3u);
    RunLoop::main().advance(0.2);
    ASSERT_EQ(QMUITips::shownTips().size(), 1u);
    EXPECT_EQ(QMUITips::shownTips()[0].kind, QMUITips::Kind::loading);

    RunLoop::main().advance(600);
    EXPECT_EQ(QMUITips::shownTips().size(), 1u);
}

TEST_F(QMUITipsTest, HideAllTipsRemovesEveryTipAndItsTimer) {
    QMUITips::showLoading("清空中...", nullptr);
    QMUITips::showWithText("继续下载...");
    QMUITips::hideAllTips();
    EXPECT_TRUE(QMUITips::shownTips().empty());
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(RunLoop::main().hasPendingTasks());

    QMUITips::hideAllTips();
    EXPECT_EQ(changes, 3); // nothing left to change
}

TEST_F(QMUITipsTest, LongerTextsStayLongerUpToALimit) {
    EXPECT_EQ(QMUITips::hideDelayForText(""), 1.5);
    EXPECT_EQ(QMUITips::hideDelayForText(std::string(20, 'a')), 1.5);
    EXPECT_DOUBLE_EQ(QMUITips::hideDelayForText(std::string(40, 'a')), 2.5);
    // Characters, not bytes: 30 Chinese characters are 90 bytes.
    std::string chinese;
    for (int i = 0; i < 30; ++i) {
        chinese += "视";
    }
    EXPECT_DOUBLE_EQ(QMUITips::hideDelayForText(chinese), 2.0);
    EXPECT_EQ(QMUITips::hideDelayForText(std::string(500, 'a')), 5.0);
}
