#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UIProgressView.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <string>

// A row of the download pages: a poster at the left, a title line, a thin progress bar
// under it and a detail line at the bottom. The pages set its views; a reused row starts
// again from the fresh look (placeholder poster, no bar), so nothing of its last record
// shows in the next.
class KKcombcripple : public BaseTableViewCell {
  public:
    explicit KKcombcripple(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                           const std::string& reuseIdentifier = {});

    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    const std::shared_ptr<QMUILabel>& name() const { return name_; }
    const std::shared_ptr<UIProgressView>& kkhighlyscrutiny() const { return kkhighlyscrutiny_; }
    const std::shared_ptr<QMUILabel>& kkunderneathhostage() const { return kkunderneathhostage_; }

    // The download address the row shows now (set by the page), so that a progress report
    // reaches the row of its own download.
    std::string downloadURL;

    void prepareForReuse() override;

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> name_;
    std::shared_ptr<UIProgressView> kkhighlyscrutiny_;
    std::shared_ptr<QMUILabel> kkunderneathhostage_;
};
