#pragma once

#include "app/Base/BaseCells.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <string>

// One film as a table row: the poster at the left, and beside it the film's name, its class
// line and a description of at most two lines, all three in one column as wide as the name;
// a thin separator runs under the poster. The cell only lays its views out: the pages that
// use it (topic films, search results) write the texts and load the poster themselves.
class KKditchgaze : public BaseTableViewCell {
  public:
    explicit KKditchgaze(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                         const std::string& reuseIdentifier = {});

    // The poster, showing the placeholder until a page loads one.
    const std::shared_ptr<UIImageView>& kkdrainexempt();
    const std::shared_ptr<UILabel>& name();
    const std::shared_ptr<UILabel>& classType();
    const std::shared_ptr<UILabel>& desc();
    // The separator under the poster.
    const std::shared_ptr<UIView>& kkdecoratevirtue();

    void setupUI();

  private:
    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<UILabel> name_;
    std::shared_ptr<UILabel> classType_;
    std::shared_ptr<UILabel> desc_;
    std::shared_ptr<UIView> kkdecoratevirtue_;
};
