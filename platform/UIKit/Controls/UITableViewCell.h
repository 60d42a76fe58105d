#pragma once

#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <string>

class CAShapeLayer;

enum class UITableViewCellStyle { defaultStyle, value1, value2, subtitle };
enum class UITableViewCellSelectionStyle { none, blue, gray, defaultStyle };
enum class UITableViewCellAccessoryType {
    none,
    disclosureIndicator,
    detailDisclosureButton,
    checkmark,
    detailButton
};

// A row of a table: a content view that subclasses fill, optional standard parts (a text
// label, a detail label and an image, laid out by the style), an accessory at the right,
// and backgrounds for the normal and the selected look. Tables reuse cells: a cell that
// scrolled away is handed out again for another row after prepareForReuse.
//
// Parts are made in the constructor and put into the cell's tree as soon as the cell is
// owned by a shared_ptr (views cannot take subviews while still being constructed).
class UITableViewCell : public UIView {
  public:
    explicit UITableViewCell(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                             std::string reuseIdentifier = {});
    ~UITableViewCell() override;

    UITableViewCellStyle style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }
    // Called before the table hands the cell out for another row; subclasses reset what
    // they showed (and call the base).
    virtual void prepareForReuse();

    const std::shared_ptr<UIView>& contentView();
    // The standard parts; made on first use.
    const std::shared_ptr<UILabel>& textLabel();
    const std::shared_ptr<UILabel>& detailTextLabel();
    const std::shared_ptr<UIImageView>& imageView();

    UITableViewCellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(UITableViewCellAccessoryType type);
    const std::shared_ptr<UIView>& accessoryView() const { return accessoryView_; }
    void setAccessoryView(std::shared_ptr<UIView> view);

    UITableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(UITableViewCellSelectionStyle style);
    const std::shared_ptr<UIView>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<UIView> view);
    // Shown instead of the background while highlighted or selected (a light grey by default).
    const std::shared_ptr<UIView>& selectedBackgroundView();
    void setSelectedBackgroundView(std::shared_ptr<UIView> view);

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated);
    void setSelected(bool selected) { setSelected(selected, false); }
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted, bool animated);
    void setHighlighted(bool highlighted) { setHighlighted(highlighted, false); }

    // The line under the cell, as its table asks for it.
    void setSeparator(bool visible, const UIEdgeInsets& insets, const UIColor& color);
    bool separatorVisible() const { return separatorVisible_; }

    // The height the cell's contents need at `width` (self-sizing rows): from the
    // constraints of the content view's subviews, else sizeThatFits.
    virtual CGFloat fittingHeightForWidth(CGFloat width);

    void layoutSubviews() override;
    void didMoveToSuperview() override;
    CGSize sizeThatFits(CGSize size) const override;

  protected:
    // Puts the parts made in the constructor into the tree once that is possible.
    void attachParts();

  private:
    void updateSelectionLook();
    CGFloat accessoryWidth() const;

    UITableViewCellStyle style_;
    std::string reuseIdentifier_;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UILabel> textLabel_;
    std::shared_ptr<UILabel> detailTextLabel_;
    std::shared_ptr<UIImageView> imageView_;
    UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryType::none;
    std::shared_ptr<UIView> accessoryView_;
    std::shared_ptr<CAShapeLayer> accessoryMark_;
    UITableViewCellSelectionStyle selectionStyle_ = UITableViewCellSelectionStyle::defaultStyle;
    std::shared_ptr<UIView> backgroundView_;
    std::shared_ptr<UIView> selectedBackgroundView_;
    std::shared_ptr<CALayer> separator_;
    bool separatorVisible_ = false;
    UIEdgeInsets separatorInsets_;
    bool selected_ = false;
    bool highlighted_ = false;
    bool partsAttached_ = false;
};

// The header or footer of a table section: a content view, an optional title label and
// background; reused like cells.
class UITableViewHeaderFooterView : public UIView {
  public:
    explicit UITableViewHeaderFooterView(std::string reuseIdentifier = {});

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }
    virtual void prepareForReuse() {}

    const std::shared_ptr<UIView>& contentView();
    const std::shared_ptr<UILabel>& textLabel();
    const std::shared_ptr<UIView>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<UIView> view);

    void layoutSubviews() override;
    void didMoveToSuperview() override;

  private:
    void attachParts();

    std::string reuseIdentifier_;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UILabel> textLabel_;
    std::shared_ptr<UIView> backgroundView_;
    bool partsAttached_ = false;
};
