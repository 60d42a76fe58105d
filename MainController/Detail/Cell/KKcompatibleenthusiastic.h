#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUIMarqueeLabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

// A row of the resource list: a logo, the resource's name as a scrolling line, a grey
// type line and a "立即播放" badge at the right. The list page sets the two texts; a tap
// goes to the row.
class KKcompatibleenthusiastic : public BaseTableViewCell {
  public:
    explicit KKcompatibleenthusiastic(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                                      const std::string& reuseIdentifier = {});

    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    const std::shared_ptr<QMUIMarqueeLabel>& name() const { return name_; }
    const std::shared_ptr<QMUILabel>& classType() const { return classType_; }
    const std::shared_ptr<QMUIButton>& kkheadquarterscurrency() const { return kkheadquarterscurrency_; }

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUIMarqueeLabel> name_;
    std::shared_ptr<QMUILabel> classType_;
    std::shared_ptr<QMUIButton> kkheadquarterscurrency_;
};
