#include "MainController/Library/View/KKtyrepuzzle.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kTree =
    R"([{"type_name":"电影","type_id":"1",)"
    R"("class":["全部","动作","喜剧","爱情","科幻","悬疑","剧情","战争","纪录","动画"],)"
    R"("area":["全部"],"lang":[],"year":["全部","2024"]},)"
    R"({"type_name":"电视剧","type_id":2,"class":["全部"],"area":["全部","大陆"],)"
    R"("lang":["全部","国语"],"year":["全部"]}])";

TEST(FilterHeader, RowsScrollAfterTheSizesPassAndEveryTapReachesThePage) {
    auto clock = testsupport::useVirtualClock();
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
    auto header = KKtyrepuzzle::make(CGRectMake(0, 0, 390, 185));
    window->addSubview(header);
    window->makeKeyAndVisible();
    std::vector<std::string> chosen;
    header->clickClass = [&](const std::string& value) { chosen.push_back("class " + value); };
    header->clickType = [&](long index, const std::string& id) {
        chosen.push_back("type " + std::to_string(index) + " " + id);
    };

    header->rebuild(JSON::parse(kTree).arrayValue(), 0);
    window->layoutIfNeeded();
    const auto& classes = header->kkspatialceremony();
    EXPECT_EQ(classes->contentSize().width, 0);
    RunLoop::main().advance(0.1);
    // The class row is wider than the screen: it scrolls to 15 points past its last button.
    const CGRect last = header->kkleakfootstep()->subviews().back()->frame();
    EXPECT_GT(last.origin.x + last.size.width, 390);
    EXPECT_DOUBLE_EQ(classes->contentSize().width, last.origin.x + last.size.width + 15);
    EXPECT_TRUE(header->kkceremonyinflict()->isHidden());
    EXPECT_FALSE(header->kkinflictgrace()->isHidden());

    // A highlighted button still tells the page when tapped again; a type passes its id as text.
    auto action = header->kkleakfootstep()->subviews()[2];
    for (int tap = 0; tap < 2; ++tap) {
        std::static_pointer_cast<UIControl>(action)->sendActionsForControlEvents(UIControlEventTouchUpInside);
    }
    auto series = std::static_pointer_cast<UIControl>(header->kkpillleak()->subviews()[1]);
    series->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(chosen, (std::vector<std::string>{"class 喜剧", "class 喜剧", "type 1 2"}));
    EXPECT_EQ(action->backgroundColor(), KKtyrepuzzle::selectedColor());
    EXPECT_EQ(series->backgroundColor(), KKtyrepuzzle::selectedColor());
    EXPECT_NE(header->kkpillleak()->subviews()[0]->backgroundColor(), KKtyrepuzzle::selectedColor());

    // An empty tree clears the types and leaves the lower rows as they were.
    header->rebuild({}, 0);
    EXPECT_TRUE(header->kkpillleak()->subviews().empty());
    EXPECT_EQ(header->kkleakfootstep()->subviews().size(), 10u);
}

} // namespace
