#pragma once

#include "app/Base/BaseCells.h"

#include <memory>
#include <string>

class QMUILabel;

// A notice of the notice list: a grey time line centred at the top and, under it, a dark
// card with a bold title and a text of any length. Title and text can be copied with a
// long press. The list sets the texts and the card's height (cardHeight).
class KKacrecomment : public BaseTableViewCell {
  public:
    explicit KKacrecomment(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                           const std::string& reuseIdentifier = {});

    // The height of a notice's text set in the card's text font across `width` (the
    // screen's width less 52), raised to a whole point; 0 for an empty text.
    static CGFloat textHeight(const std::string& intro, CGFloat width);
    // The row for a notice whose text is `textHeight` high, and the card inside it.
    static CGFloat rowHeight(CGFloat textHeight) { return textHeight + 120; }
    static CGFloat cardHeight(CGFloat textHeight) { return textHeight + 60; }

    void configure(const std::string& time, const std::string& title, const std::string& intro,
                   CGFloat cardHeight);

    const std::shared_ptr<QMUILabel>& timeLabel() const { return kkverdictheadquarters_; }
    const std::shared_ptr<UIView>& card() const { return kkaccountanttense_; }
    const std::shared_ptr<QMUILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<QMUILabel>& textLabel() const { return kkduplicatestack_; }

  private:
    void setupUI();

    std::shared_ptr<QMUILabel> kkverdictheadquarters_; // time line
    std::shared_ptr<UIView> kkaccountanttense_;        // card
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<QMUILabel> kkduplicatestack_; // text
    CGFloat cardHeight_ = 100;
};
