#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIStackView.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<UIView> container(CGFloat width = 390, CGFloat height = 844) {
    return std::make_shared<UIView>(CGRectMake(0, 0, width, height));
}

std::shared_ptr<UIView> addView(const std::shared_ptr<UIView>& parent) {
    auto view = std::make_shared<UIView>();
    parent->addSubview(view);
    return view;
}

void expectFrame(const std::shared_ptr<UIView>& view, CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    const CGRect frame = view->frame();
    EXPECT_DOUBLE_EQ(frame.origin.x, x);
    EXPECT_DOUBLE_EQ(frame.origin.y, y);
    EXPECT_DOUBLE_EQ(frame.size.width, width);
    EXPECT_DOUBLE_EQ(frame.size.height, height);
}

} // namespace

TEST(ConstraintMaker, EdgesWithInsetsCentringSizesAndOffsets) {
    auto root = container();
    auto filled = addView(root);
    filled->snp.makeConstraints([](ConstraintMaker& make) {
        make.edges.equalToSuperview().inset(UIEdgeInsets{10, 20, 30, 40});
    });
    auto centred = addView(root);
    centred->snp.makeConstraints([](ConstraintMaker& make) {
        make.center.equalToSuperview();
        make.size.equalTo(CGSize{100, 50});
    });
    auto below = addView(root);
    below->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(centred->snp.bottom).offset(8);
        make.left.equalTo(centred);
        make.width.equalTo(centred).offset(-20);
        make.height.equalTo(44);
    });
    auto corner = addView(root);
    corner->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.bottom().equalToSuperview().inset(16);
        make.width.height().equalTo(30);
    });
    root->layoutIfNeeded();
    expectFrame(filled, 20, 10, 330, 804);
    expectFrame(centred, 145, 397, 100, 50);
    expectFrame(below, 145, 455, 80, 44);
    expectFrame(corner, 344, 798, 30, 30);
    EXPECT_FALSE(filled->translatesAutoresizingMaskIntoConstraints());
}

TEST(ConstraintMaker, HeightAsAFractionOfTheWidth) {
    auto root = container(320, 600);
    auto player = addView(root);
    player->snp.makeConstraints([&](ConstraintMaker& make) {
        make.left.right().top().equalToSuperview();
        make.height.equalTo(player->snp.width).multipliedBy(0.5625);
    });
    auto half = addView(root);
    half->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(player->snp.bottom);
        make.left.equalToSuperview();
        make.width.equalToSuperview().dividedBy(2);
        make.height.equalTo(10);
    });
    root->layoutIfNeeded();
    expectFrame(player, 0, 0, 320, 180);
    expectFrame(half, 0, 180, 160, 10);

    // The container grows: the fractions follow.
    root->setFrame(CGRectMake(0, 0, 400, 600));
    root->layoutIfNeeded();
    expectFrame(player, 0, 0, 400, 225);
    expectFrame(half, 0, 225, 200, 10);
}

TEST(ConstraintMaker, HigherPriorityWinsUntilItsTargetGoesAway) {
    // A title below a banner when there is one (800), else at the top of the header (700).
    auto header = container(390, 300);
    auto banner = addView(header);
    banner->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.right().top().equalToSuperview();
        make.height.equalTo(120);
    });
    auto title = addView(header);
    title->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(banner->snp.bottom).offset(15).priority(800);
        make.top.equalToSuperview().offset(15).priority(700);
        make.right.equalToSuperview().inset(180);
        make.left.equalToSuperview().inset(15);
        make.height.equalTo(20);
    });
    header->layoutIfNeeded();
    expectFrame(title, 15, 135, 195, 20);

    banner->removeFromSuperview();
    header->layoutIfNeeded();
    expectFrame(title, 15, 15, 195, 20);
}

TEST(ConstraintMaker, UpdateChangesConstantsAndRemakeReplaces) {
    auto cell = container(375, 80);
    auto name = addView(cell);
    name->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(10);
        make.right.equalToSuperview().offset(-10);
        make.top.bottom().equalToSuperview();
    });
    cell->layoutIfNeeded();
    expectFrame(name, 10, 0, 355, 80);

    name->snp.updateConstraints([](ConstraintMaker& make) { make.right.equalToSuperview().offset(-55); });
    cell->layoutIfNeeded();
    expectFrame(name, 10, 0, 310, 80);
    EXPECT_EQ(name->snp.constraints().size(), 3u) << "updated in place, nothing added";
    EXPECT_EQ(name->constraints().size(), 4u);

    name->snp.remakeConstraints([](ConstraintMaker& make) {
        make.center.equalToSuperview();
        make.size.equalTo(CGSize{40, 40});
    });
    cell->layoutIfNeeded();
    expectFrame(name, 167.5, 20, 40, 40);
    EXPECT_EQ(name->constraints().size(), 4u) << "the old constraints are gone";

    name->snp.removeConstraints();
    EXPECT_TRUE(name->constraints().empty());
}

TEST(ConstraintMaker, KeptConstraintCanBeMovedLater) {
    // A side panel that starts beyond the right edge and slides in.
    auto page = container(390, 844);
    auto panel = addView(page);
    std::shared_ptr<Constraint> right;
    panel->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.bottom().equalToSuperview();
        make.width.equalTo(200);
        right = make.right.equalToSuperview().offset(200).constraint();
    });
    page->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(panel->frame().origin.x, 390);
    right->updateOffset(0);
    page->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(panel->frame().origin.x, 190);
    right->deactivate();
    EXPECT_FALSE(right->isActive());
}

TEST(ConstraintMaker, InequalitiesBoundAView) {
    auto root = container(300, 300);
    auto box = addView(root);
    box->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.top().equalToSuperview();
        make.width.lessThanOrEqualTo(120);
        make.width.equalTo(200).priority(ConstraintPriority::high);
        make.height.greaterThanOrEqualTo(50);
        make.height.equalTo(10).priority(ConstraintPriority::low);
    });
    root->layoutIfNeeded();
    expectFrame(box, 0, 0, 120, 50);
}

TEST(ConstraintMaker, SafeAreaAndReadableGuidesOfAWindow) {
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    auto window = std::make_shared<UIWindow>();
    auto content = addView(window);
    content->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(window->safeAreaLayoutGuide()->snp.top);
        make.bottom.equalTo(window->safeAreaLayoutGuide()->snp.bottom);
        make.left.right().equalToSuperview();
    });
    window->setLayoutMargins({0, 16, 0, 16});
    auto readable = addView(window);
    readable->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.left().right().equalTo(window->readableContentGuide());
        make.height.equalTo(10);
    });
    window->layoutIfNeeded();
    expectFrame(content, 0, 47, 390, 844 - 47 - 34);
    expectFrame(readable, 16, 47, 358, 10);
    EXPECT_EQ(content->safeAreaInsets(), (UIEdgeInsets{0, 0, 0, 0}));

    // A view covering the whole window shares the window's unsafe edges.
    auto cover = addView(window);
    cover->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    window->layoutIfNeeded();
    EXPECT_EQ(cover->safeAreaInsets(), (UIEdgeInsets{47, 0, 34, 0}));
}

TEST(ConstraintMaker, ClassicScreenHasNoBottomInset) {
    UIScreen::configureMainScreen(UIScreen::Metrics::classic());
    auto window = std::make_shared<UIWindow>();
    EXPECT_EQ(window->frame(), CGRectMake(0, 0, 375, 667));
    auto content = addView(window);
    content->snp.makeConstraints(
        [&](ConstraintMaker& make) { make.edges.equalTo(window->safeAreaLayoutGuide()); });
    window->layoutIfNeeded();
    expectFrame(content, 0, 20, 375, 647);
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
}

TEST(ConstraintMaker, StackViewCollapsesHiddenViews) {
    auto root = container(300, 600);
    auto stack = std::make_shared<UIStackView>();
    stack->setAxis(UILayoutConstraintAxis::vertical);
    stack->setSpacing(10);
    root->addSubview(stack);
    stack->snp.makeConstraints([](ConstraintMaker& make) { make.top.left().right().equalToSuperview(); });
    std::vector<std::shared_ptr<UIView>> rows;
    for (CGFloat height : {40.0, 50.0, 60.0}) {
        auto row = std::make_shared<UIView>();
        row->snp.makeConstraints([&](ConstraintMaker& make) { make.height.equalTo(height); });
        stack->addArrangedSubview(row);
        rows.push_back(row);
    }
    auto below = addView(root);
    below->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(stack->snp.bottom);
        make.left.right().equalToSuperview();
        make.height.equalTo(5);
    });
    root->layoutIfNeeded();
    expectFrame(stack, 0, 0, 300, 170);
    expectFrame(rows[1], 0, 50, 300, 50);
    expectFrame(rows[2], 0, 110, 300, 60);
    EXPECT_DOUBLE_EQ(below->frame().origin.y, 170);

    rows[1]->setHidden(true);
    root->layoutIfNeeded();
    expectFrame(rows[2], 0, 50, 300, 60);
    EXPECT_DOUBLE_EQ(stack->frame().size.height, 110);
    EXPECT_DOUBLE_EQ(below->frame().origin.y, 110);

    rows[1]->setHidden(false);
    rows[0]->removeFromSuperview();
    root->layoutIfNeeded();
    EXPECT_EQ(stack->arrangedSubviews().size(), 2u);
    expectFrame(rows[1], 0, 0, 300, 50);
}

TEST(ConstraintMaker, StackViewDistributions) {
    auto root = container(300, 100);
    auto stack = std::make_shared<UIStackView>();
    stack->setDistribution(UIStackViewDistribution::fillEqually);
    stack->setSpacing(12);
    root->addSubview(stack);
    stack->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    std::vector<std::shared_ptr<UIView>> items;
    for (int i = 0; i < 4; ++i) {
        items.push_back(std::make_shared<UIView>());
        stack->addArrangedSubview(items.back());
    }
    root->layoutIfNeeded();
    expectFrame(items[0], 0, 0, 66, 100);
    expectFrame(items[3], 234, 0, 66, 100);

    // Equal spacing: fixed sizes, the gaps share what is left.
    stack->setDistribution(UIStackViewDistribution::equalSpacing);
    stack->setAlignment(UIStackViewAlignment::center);
    for (auto& item : items) {
        item->snp.makeConstraints([](ConstraintMaker& make) { make.size.equalTo(CGSize{30, 20}); });
    }
    root->layoutIfNeeded();
    expectFrame(items[0], 0, 40, 30, 20);
    expectFrame(items[1], 90, 40, 30, 20);
    expectFrame(items[3], 270, 40, 30, 20);
}

TEST(ConstraintMaker, WrappingLabelPushesTheViewBelowDown) {
    auto root = container(200, 800);
    auto label = std::make_shared<UILabel>();
    label->setNumberOfLines(0);
    label->setFont(UIFont::systemFontOfSize(16));
    label->setText("短");
    root->addSubview(label);
    label->snp.makeConstraints([](ConstraintMaker& make) { make.top.left().right().equalToSuperview(); });
    auto below = addView(root);
    below->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(label->snp.bottom).offset(8);
        make.left.right().equalToSuperview();
        make.height.equalTo(10);
    });
    root->layoutIfNeeded();
    const CGFloat oneLine = label->frame().size.height;
    EXPECT_GT(oneLine, 15);
    EXPECT_LT(oneLine, 25);
    EXPECT_DOUBLE_EQ(label->frame().size.width, 200) << "pinned on both sides";
    EXPECT_DOUBLE_EQ(below->frame().origin.y, oneLine + 8);

    label->setText("这是一段很长的简介文字，它需要在两百点宽的标签里换成好几行才能显示完整。"
                   "The Latin part wraps as well, word by word.");
    root->layoutIfNeeded();
    const CGFloat wrapped = label->frame().size.height;
    EXPECT_GT(wrapped, oneLine * 3);
    EXPECT_DOUBLE_EQ(below->frame().origin.y, wrapped + 8);

    // Limited to two lines, the label stops growing.
    label->setNumberOfLines(2);
    root->layoutIfNeeded();
    EXPECT_NEAR(label->frame().size.height, oneLine * 2, 1);
    EXPECT_DOUBLE_EQ(below->frame().origin.y, label->frame().size.height + 8);
}

TEST(ConstraintMaker, AFreeWrappingLabelWidensForALongerTextThatStillFits) {
    auto root = container(390, 200);
    auto label = std::make_shared<UILabel>();
    label->setNumberOfLines(2);
    label->setFont(UIFont::systemFontOfSize(15));
    label->setText("已缓存9.10MB / 剩余68.12GB空间");
    root->addSubview(label);
    label->snp.makeConstraints([](ConstraintMaker& make) {
        make.bottom.equalToSuperview().offset(-20);
        make.centerX.equalToSuperview();
    });
    root->layoutIfNeeded();
    const CGFloat oneLine = label->frame().size.height;

    // Nothing but the text sets the width: a longer text that fits the screen stays on one
    // line instead of wrapping at the width the shorter text had.
    label->setText("已缓存18.21MB / 剩余67.42GB空间");
    root->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(label->frame().size.height, oneLine);
    EXPECT_EQ(label->frame().size, label->intrinsicContentSize());
    EXPECT_DOUBLE_EQ(label->center().x, 195);

    // Wider than the screen allows, it wraps at the room it is given.
    label->snp.makeConstraints([](ConstraintMaker& make) { make.width.lessThanOrEqualTo(200); });
    label->setText("已缓存18.21MB / 剩余67.42GB空间，另有三个下载正在等待");
    root->layoutIfNeeded();
    EXPECT_LE(label->frame().size.width, 200);
    EXPECT_NEAR(label->frame().size.height, oneLine * 2, 1);
}

TEST(ConstraintMaker, LabelsTakeTheirTextSizeWhenFree) {
    auto root = container(300, 100);
    auto first = std::make_shared<UILabel>();
    first->setText("标题");
    auto second = std::make_shared<UILabel>();
    second->setText("Subtitle text");
    root->addSubview(first);
    root->addSubview(second);
    first->snp.makeConstraints([](ConstraintMaker& make) { make.left.top().equalToSuperview(); });
    second->snp.makeConstraints([&](ConstraintMaker& make) {
        make.left.equalTo(first->snp.right).offset(4);
        make.centerY.equalTo(first);
    });
    root->layoutIfNeeded();
    const CGSize size = first->intrinsicContentSize();
    EXPECT_EQ(first->frame().size, size);
    EXPECT_DOUBLE_EQ(second->frame().origin.x, size.width + 4);
    EXPECT_DOUBLE_EQ(second->center().y, first->center().y);
}

TEST(ConstraintMaker, AnchorsActivatedBeforeTheViewStopsTranslatingItsFrame) {
    auto root = container(200, 200);
    auto pinned = addView(root);
    pinned->setFrame(CGRectMake(5, 5, 10, 10));
    NSLayoutConstraint::activateConstraints({
        pinned->topAnchor().constraintEqualToAnchor(root->topAnchor(), 20),
        pinned->leftAnchor().constraintEqualToAnchor(root->leftAnchor(), 30),
        pinned->bottomAnchor().constraintEqualToAnchor(root->bottomAnchor(), -20),
        pinned->rightAnchor().constraintEqualToAnchor(root->rightAnchor(), -30),
    });
    pinned->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->layoutIfNeeded();
    expectFrame(pinned, 30, 20, 140, 160);
}

TEST(ConstraintMaker, FrameBasedViewsAnchorConstrainedOnes) {
    auto root = container(400, 400);
    auto manual = std::make_shared<UIView>(CGRectMake(50, 60, 100, 100));
    root->addSubview(manual);
    auto inner = addView(manual);
    inner->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview().inset(10); });
    auto sibling = addView(root);
    sibling->snp.makeConstraints([&](ConstraintMaker& make) {
        make.left.equalTo(manual->snp.right);
        make.top.equalTo(manual);
        make.size.equalTo(CGSize{20, 20});
    });
    root->layoutIfNeeded();
    expectFrame(inner, 10, 10, 80, 80);
    expectFrame(sibling, 150, 60, 20, 20);

    manual->setFrame(CGRectMake(0, 0, 200, 50));
    root->layoutIfNeeded();
    expectFrame(inner, 10, 10, 180, 30);
    expectFrame(sibling, 200, 0, 20, 20);
}

TEST(ConstraintMaker, ConstraintsEndWithTheirViews) {
    auto root = container(100, 100);
    auto a = addView(root);
    {
        auto b = addView(root);
        b->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
        a->snp.makeConstraints([&](ConstraintMaker& make) {
            make.top.left().equalTo(b);
            make.size.equalTo(CGSize{10, 10});
        });
        root->layoutIfNeeded();
        EXPECT_EQ(a->constraints().size(), 4u);
        b->removeFromSuperview();
    }
    // The constraints to b went with it; a keeps its own size.
    EXPECT_EQ(a->constraints().size(), 2u);
    root->layoutIfNeeded();
    EXPECT_EQ(a->frame().size, (CGSize{10, 10}));
}

TEST(ConstraintMaker, MasonryNamesMakeTheSameConstraints) {
    auto cell = container(100, 100);
    auto content = addView(cell);
    content->mas_makeConstraints([&](ConstraintMaker& make) { make.edges.equalTo(cell).offset(0); });
    auto centred = addView(cell);
    centred->mas_makeConstraints([&](ConstraintMaker& make) {
        make.center.equalTo(content).offset(0);
        make.size.equalTo(CGSize{20, 10});
    });
    cell->layoutIfNeeded();
    expectFrame(content, 0, 0, 100, 100);
    expectFrame(centred, 40, 45, 20, 10);
}

TEST(ConstraintMaker, SafeAreaFollowsWhereAViewSitsAndTellsItWhenItChanges) {
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    class Watcher : public UIView {
      public:
        using UIView::UIView;
        void safeAreaInsetsDidChange() override { ++changes; }
        int changes = 0;
    };
    auto window = std::make_shared<UIWindow>();
    auto bar = std::make_shared<Watcher>(CGRectMake(0, 844 - 83, 390, 83));
    window->addSubview(bar);
    window->layoutIfNeeded();
    EXPECT_EQ(bar->safeAreaInsets(), (UIEdgeInsets{0, 0, 34, 0}));
    EXPECT_EQ(bar->changes, 1);
    window->layoutIfNeeded();
    EXPECT_EQ(bar->changes, 1) << "nothing changed";
    bar->setFrame(CGRectMake(0, 700, 390, 83));
    window->layoutIfNeeded();
    EXPECT_EQ(bar->safeAreaInsets(), (UIEdgeInsets{0, 0, 0, 0}));
    EXPECT_EQ(bar->changes, 2);

    // A controller's extra insets (a navigation bar) push content down.
    auto page = addView(window);
    page->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    page->setAdditionalSafeAreaInsets({44, 0, 0, 0});
    auto content = addView(page);
    content->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(page->safeAreaLayoutGuide()->snp.top);
        make.left.right().equalToSuperview();
        make.height.equalTo(10);
    });
    window->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(content->frame().origin.y, 91);
}

TEST(ConstraintMaker, ContradictoryConstraintsLeaveOneOutAndLayoutGoesOn) {
    auto root = container(100, 100);
    auto box = addView(root);
    box->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.top().equalToSuperview();
        make.width.equalTo(40);
        make.width.equalTo(60);
        make.height.equalTo(20);
    });
    root->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(box->frame().size.width, 40) << "the later, contradicting constraint is left out";
    EXPECT_DOUBLE_EQ(box->frame().size.height, 20);
}

TEST(ConstraintMaker, FillStackStretchesTheViewThatHugsLeast) {
    auto root = container(300, 40);
    auto stack = std::make_shared<UIStackView>();
    root->addSubview(stack);
    stack->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    auto name = std::make_shared<UILabel>();
    name->setText("名称");
    auto score = std::make_shared<UILabel>();
    score->setText("9.1");
    score->setContentHuggingPriority(UILayoutPriorityDefaultHigh, UILayoutConstraintAxis::horizontal);
    stack->addArrangedSubview(name);
    stack->addArrangedSubview(score);
    root->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(score->frame().size.width, score->intrinsicContentSize().width);
    EXPECT_DOUBLE_EQ(name->frame().size.width, 300 - score->frame().size.width);
    EXPECT_DOUBLE_EQ(score->frame().origin.x, name->frame().size.width);
}
