#include "platform/MJRefresh/MJRefreshComponent.h"

MJRefreshComponent::MJRefreshComponent() : UIView(CGRectZero) {
    setBackgroundColor(std::nullopt);
}

MJRefreshComponent::~MJRefreshComponent() = default;

void MJRefreshComponent::willMoveToSuperview(UIView* newSuperview) {
    UIView::willMoveToSuperview(newSuperview);
    if (auto old = scrollView_.lock()) {
        if (old.get() == newSuperview) {
            return;
        }
        willDetachFromScrollView(*old);
        old->removeScrollObserver(this);
    }
    scrollView_.reset();
    auto* scroll = dynamic_cast<UIScrollView*>(newSuperview);
    if (scroll == nullptr) {
        return;
    }
    auto shared = std::static_pointer_cast<UIScrollView>(scroll->sharedView());
    scrollView_ = shared;
    shared->addScrollObserver(
        std::shared_ptr<UIScrollViewObserver>(sharedView(), static_cast<UIScrollViewObserver*>(this)));
    didAttachToScrollView(*scroll);
}

void MJRefreshComponent::layoutSubviews() {
    UIView::layoutSubviews();
    placeSubviews();
}

void MJRefreshComponent::setState(MJRefreshState state) {
    state_ = state;
}

void MJRefreshComponent::beginRefreshing() {
    if (state_ == MJRefreshState::refreshing) {
        return;
    }
    setState(MJRefreshState::refreshing);
}

void MJRefreshComponent::endRefreshing() {
    if (state_ == MJRefreshState::idle) {
        return;
    }
    setState(MJRefreshState::idle);
}

void MJRefreshComponent::executeRefreshingCallback() {
    if (refreshingBlock_) {
        auto keepAlive = sharedView();
        auto block = refreshingBlock_;
        block();
    }
}
