#include "MainController/Theme/View/KKgazecriticize.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

class TopicHeader : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        window->addSubview(header);
        window->makeKeyAndVisible();
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<KKgazecriticize> header = KKgazecriticize::make();
};

TEST_F(TopicHeader, BeforeAnyAnswerItShowsItsDefaultTextsAndPlaceholders) {
    EXPECT_EQ(header->titleLabel()->text(), "主题");
    EXPECT_EQ(header->kkappropriatepostpone()->text(), "共0个影片");
    EXPECT_EQ(header->kkskeletonfeast()->text(), "简介");
    EXPECT_EQ(header->kkcompetentingredient()->text(), "内容");
    EXPECT_EQ(header->kkpostponeoccur()->text(), "精彩电影");
    EXPECT_EQ(header->kkdrainexempt()->image(), placeholderImage());
    EXPECT_EQ(header->backgroundView()->image(), placeholderImage());
    // The cover, name and count sit on the background picture, above its veil.
    const auto& onPicture = header->backgroundView()->subviews();
    ASSERT_EQ(onPicture.size(), 4u);
    EXPECT_EQ(onPicture[0], header->dimmingView());
    EXPECT_EQ(onPicture[1], header->kkdrainexempt());
}

TEST_F(TopicHeader, ALongerIntroductionWrapsAndPushesTheCaptionDown) {
    const CGFloat oneLine = header->contentHeight(390);
    header->layoutIfNeeded();
    EXPECT_EQ(header->backgroundView()->frame(), CGRectMake(0, 0, 390, 260));
    EXPECT_EQ(header->kkdrainexempt()->frame(), CGRectMake(15, 260 - 20 - 132, 102, 132));
    // The veil covers the whole picture whatever size the header had when it was made.
    EXPECT_EQ(header->dimmingView()->frame(), header->backgroundView()->bounds());

    header->kkcompetentingredient()->setText(repeated("一部关于成长与告别的电影合集，", 12));
    const CGFloat manyLines = header->contentHeight(390);
    const CGRect intro = header->kkcompetentingredient()->frame();
    EXPECT_EQ(intro.size.width, 390 - 30);
    EXPECT_GT(manyLines - oneLine, 3 * 14);
    const CGRect separator = header->kkdecoratevirtue()->frame();
    EXPECT_DOUBLE_EQ(separator.origin.y, intro.origin.y + intro.size.height + 15);
    const CGRect caption = header->kkpostponeoccur()->frame();
    EXPECT_DOUBLE_EQ(manyLines, caption.origin.y + caption.size.height + 15);
    // A narrower screen wraps the same text onto more lines.
    EXPECT_GT(header->contentHeight(320), manyLines);
}

} // namespace
