#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <string>

// A film or record as a list row: a landscape picture at the left, the name and the class
// line beside it. It holds no data: its users write the texts of `name` and `classType`
// and load the picture into `kkdrainexempt`.
//
// The base of list cells that add views of their own (a button at the right end): they
// override setupUI(), call this version first and then add and constrain their views.
// `name`'s right edge is made with `make.right.equalToSuperview().inset(10)`; a subclass
// moves it with `name()->snp.updateConstraints(...)` and the same description.
//
// setupUI() runs once, as soon as the cell is owned by a shared_ptr and first used (any of
// the three accessors, contentView placement, layout or sizing): a constructor cannot
// reach a subclass's override, and views cannot take subviews before they are owned.
class KKappealsubsequent : public BaseTableViewCell {
  public:
    explicit KKappealsubsequent(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                                const std::string& reuseIdentifier = {});

    // The picture: the placeholder "default_background" until loaded, 96 x 54, aspect fill,
    // rounded by 3; 15 from the left, vertically centred.
    const std::shared_ptr<UIImageView>& kkdrainexempt();
    // White, medium 15; its column starts at 120 and ends 10 short of the right edge.
    const std::shared_ptr<QMUILabel>& name();
    // Grey 14, 4 below the name, exactly as wide as the name.
    const std::shared_ptr<QMUILabel>& classType();

    void didMoveToSuperview() override;
    void layoutSubviews() override;
    CGFloat fittingHeightForWidth(CGFloat width) override;

  protected:
    // Adds the picture, the name and the class line to the content view, in this order,
    // and lays them out.
    virtual void setupUI();

  private:
    // Runs setupUI() the first time it is called on an owned cell.
    void buildUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> name_;
    std::shared_ptr<QMUILabel> classType_;
    bool uiBuilt_ = false;
};
