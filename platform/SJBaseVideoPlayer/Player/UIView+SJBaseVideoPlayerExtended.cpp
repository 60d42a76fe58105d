#include "platform/SJBaseVideoPlayer/Player/UIView+SJBaseVideoPlayerExtended.h"

CGRect intersectionWithView(const UIView& receiver, const UIView& view, const UIEdgeInsets& insets) {
    const CGRect bounds = view.bounds();
    const CGRect visible{
        {bounds.origin.x + insets.left, bounds.origin.y + insets.top},
        {bounds.size.width - insets.left - insets.right, bounds.size.height - insets.top - insets.bottom}};
    const CGRect frame = receiver.convertRectToView(receiver.bounds(), &view);
    const CGRect overlap = frame.intersection(visible);
    return overlap.isNull() ? CGRectZero : overlap;
}
