#include "platform/UIKit/Controls/UICollectionViewCell.h"

#include "platform/UIKit/Controls/CellPartView.h"

UICollectionViewCell::UICollectionViewCell(const CGRect& frame)
    : UICollectionReusableView(frame), contentView_(std::make_shared<UIView>(CGRect{{0, 0}, frame.size})) {}

void UICollectionViewCell::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    size_t index = 0;
    if (backgroundView_) {
        insertSubview(backgroundView_, index++);
    }
    if (selectedBackgroundView_) {
        insertSubview(selectedBackgroundView_, index++);
    }
    insertSubview(contentView_, index);
}

void UICollectionViewCell::didMoveToSuperview() {
    UICollectionReusableView::didMoveToSuperview();
    attachParts();
}

const std::shared_ptr<UIView>& UICollectionViewCell::contentView() {
    attachParts();
    return contentView_;
}

void UICollectionViewCell::setBackgroundView(std::shared_ptr<UIView> view) {
    if (!replaceCellPartView(backgroundView_, std::move(view))) {
        return;
    }
    if (backgroundView_ && partsAttached_) {
        insertSubview(backgroundView_, 0);
    }
    setNeedsLayout();
}

void UICollectionViewCell::setSelectedBackgroundView(std::shared_ptr<UIView> view) {
    if (!replaceCellPartView(selectedBackgroundView_, std::move(view))) {
        return;
    }
    if (selectedBackgroundView_ && partsAttached_) {
        insertSubview(selectedBackgroundView_, backgroundView_ ? 1 : 0);
    }
    updateSelectionLook();
    setNeedsLayout();
}

void UICollectionViewCell::setSelected(bool selected) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    updateSelectionLook();
}

void UICollectionViewCell::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    updateSelectionLook();
}

void UICollectionViewCell::updateSelectionLook() {
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setHidden(!(selected_ || highlighted_));
    }
}

void UICollectionViewCell::prepareForReuse() {
    UICollectionReusableView::prepareForReuse();
    setHighlighted(false);
}

void UICollectionViewCell::layoutSubviews() {
    attachParts();
    UICollectionReusableView::layoutSubviews();
    const CGRect bounds = this->bounds();
    contentView_->setFrame(bounds);
    if (backgroundView_) {
        backgroundView_->setFrame(bounds);
    }
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setFrame(bounds);
    }
}
