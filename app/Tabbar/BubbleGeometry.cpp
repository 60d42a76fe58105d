#include "app/Tabbar/BubbleGeometry.h"

CGFloat limberBubbleSize(CGFloat barHeight, CGFloat bottomInset, bool observeSafeAreaInsets) {
    const CGFloat inset = observeSafeAreaInsets ? bottomInset : 0;
    const CGFloat factor = inset > 0 ? 1.0 : 0.8;
    return factor * (barHeight - inset);
}

std::vector<std::size_t> tabsPassedOver(std::size_t from, std::size_t to) {
    std::vector<std::size_t> passed;
    const std::size_t low = from < to ? from : to;
    const std::size_t high = from < to ? to : from;
    for (std::size_t index = low + 1; index < high; ++index) {
        passed.push_back(index);
    }
    return passed;
}

AHBubbleMove limberBubbleMove(CGFloat fromX, CGFloat toX, CGFloat bubbleHeight) {
    const CGFloat midX = fromX + (toX - fromX) * 0.5;
    return {{midX, bubbleHeight * 0.5 + 50}, {toX, bubbleHeight * 0.5 - 10}};
}
