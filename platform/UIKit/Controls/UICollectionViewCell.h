#pragma once

#include "platform/UIKit/UIView.h"

#include <memory>
#include <string>

// A view a collection view places and reuses: an item's cell, or a supplementary view
// such as a section header. Reused views get prepareForReuse before they are handed out.
class UICollectionReusableView : public UIView {
  public:
    using UIView::UIView;

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }
    // Subclasses reset what they showed (and call the base).
    virtual void prepareForReuse() {}

  private:
    std::string reuseIdentifier_;
};

// An item of a collection: a content view that subclasses fill (views may also be added to
// the cell itself), optional backgrounds for the normal and the selected look.
//
// The content view is put into the cell as soon as the cell is owned by a shared_ptr
// (views cannot take subviews while still being constructed).
class UICollectionViewCell : public UICollectionReusableView {
  public:
    explicit UICollectionViewCell(const CGRect& frame = CGRectZero);

    const std::shared_ptr<UIView>& contentView();
    const std::shared_ptr<UIView>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<UIView> view);
    const std::shared_ptr<UIView>& selectedBackgroundView() const { return selectedBackgroundView_; }
    void setSelectedBackgroundView(std::shared_ptr<UIView> view);

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);

    void prepareForReuse() override;
    void layoutSubviews() override;
    void didMoveToSuperview() override;

  protected:
    void attachParts();

  private:
    void updateSelectionLook();

    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UIView> backgroundView_;
    std::shared_ptr<UIView> selectedBackgroundView_;
    bool selected_ = false;
    bool highlighted_ = false;
    bool partsAttached_ = false;
};
