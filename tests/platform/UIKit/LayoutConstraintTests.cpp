#include "platform/UIKit/NSLayoutConstraint.h"
#include "platform/UIKit/UIView.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<UIView> child(const std::shared_ptr<UIView>& parent) {
    auto view = std::make_shared<UIView>();
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    parent->addSubview(view);
    return view;
}

} // namespace

TEST(LayoutConstraints, ConstantsAndPrioritiesChangeWhileActive) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 200));
    auto box = child(root);
    auto width = box->widthAnchor().constraintEqualToConstant(50);
    auto wide = box->widthAnchor().constraintEqualToConstant(150);
    wide->setPriority(UILayoutPriorityDefaultLow);
    NSLayoutConstraint::activateConstraints({
        box->leftAnchor().constraintEqualToAnchor(root->leftAnchor()),
        box->topAnchor().constraintEqualToAnchor(root->topAnchor()),
        box->heightAnchor().constraintEqualToAnchor(box->widthAnchor(), 0.5, 0),
        width,
        wide,
    });
    width->setPriority(UILayoutPriorityDefaultHigh);
    width->setConstant(80); // changed before the constraint reached the engine
    root->layoutIfNeeded();
    EXPECT_EQ(box->frame(), CGRectMake(0, 0, 80, 40));

    width->setPriority(UILayoutPriorityFittingSizeLevel);
    root->layoutIfNeeded();
    EXPECT_EQ(box->frame().size.width, 150) << "the wider preference now weighs more";

    wide->setActive(false);
    root->layoutIfNeeded();
    EXPECT_EQ(box->frame().size.width, 80);
    EXPECT_FALSE(wide->isActive());
    EXPECT_TRUE(width->isActive());
    NSLayoutConstraint::deactivateConstraints({width});
    EXPECT_FALSE(width->isActive());
}

TEST(LayoutConstraints, ConstraintsOfAGoneViewEndWithIt) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 200));
    auto keeper = child(root);
    std::shared_ptr<NSLayoutConstraint> toGone;
    {
        auto gone = child(root);
        toGone = keeper->leftAnchor().constraintEqualToAnchor(gone->rightAnchor(), 5);
        toGone->setActive(true);
        gone->removeFromSuperview();
        EXPECT_FALSE(toGone->isActive()) << "it crossed out of the removed view";
        toGone->setActive(true);
    }
    // Its view is gone: the constraint cannot be active any more.
    EXPECT_FALSE(toGone->isActive());
    EXPECT_EQ(toGone->secondItem(), nullptr);
    root->layoutIfNeeded();
}

TEST(LayoutConstraints, ConstraintsWithinARemovedSubtreeStay) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 200));
    auto card = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    root->addSubview(card);
    auto inner = child(card);
    NSLayoutConstraint::activateConstraints({
        inner->leftAnchor().constraintEqualToAnchor(card->leftAnchor(), 10),
        inner->rightAnchor().constraintEqualToAnchor(card->rightAnchor(), -10),
        inner->topAnchor().constraintEqualToAnchor(card->topAnchor(), 10),
        inner->heightAnchor().constraintEqualToConstant(20),
        inner->widthAnchor().constraintLessThanOrEqualToAnchor(root->widthAnchor()),
    });
    card->removeFromSuperview();
    EXPECT_EQ(inner->constraints().size(), 4u) << "only the one reaching outside the card ended";
    auto other = std::make_shared<UIView>(CGRectMake(0, 0, 300, 300));
    other->addSubview(card);
    card->setFrame(CGRectMake(0, 0, 60, 60));
    other->layoutIfNeeded();
    EXPECT_EQ(inner->frame(), CGRectMake(10, 10, 40, 20));
}
