#include "platform/Foundation/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {

TEST(NotificationCenter, DeliversByNameWithObjectUntilTokenIsReleased) {
    NotificationCenter center;
    std::vector<std::string> seen;
    auto token = center.addObserver("changelabel", [&](const Notification& note) {
        seen.push_back(std::any_cast<std::string>(note.object));
    });
    auto other = center.addObserver("other", [&](const Notification&) { seen.push_back("wrong"); });

    center.post("changelabel", std::string("DoH"));
    token.reset();
    center.post("changelabel", std::string("after"));

    EXPECT_EQ(seen, std::vector<std::string>{"DoH"});
    EXPECT_EQ(center.observerCount("changelabel"), 0u);
}

TEST(NotificationCenter, ObserverRemovedDuringDeliveryIsNotCalled) {
    NotificationCenter center;
    NotificationCenter::ObserverToken second;
    int secondCalls = 0;
    auto first = center.addObserver("n", [&](const Notification&) { second.reset(); });
    second = center.addObserver("n", [&](const Notification&) { ++secondCalls; });
    center.post("n");
    EXPECT_EQ(secondCalls, 0);
}

} // namespace
