#pragma once

#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIFont.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <string>

class UIActivityIndicatorView;
class UIImage;
class UIImageView;
class UILabel;

// What a page shows while it has nothing to show: a loading wheel, an image and a text,
// one above the other in the middle of the page (moved down by verticalOffset). Parts
// without content (no image, an empty text, a hidden wheel) take no room.
class QMUIEmptyView : public UIView {
  public:
    explicit QMUIEmptyView(const CGRect& frame = CGRectZero);
    ~QMUIEmptyView() override;

    const std::shared_ptr<UIActivityIndicatorView>& loadingView() const { return loadingView_; }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<UILabel>& textLabel() const { return textLabel_; }

    void setLoadingViewHidden(bool hidden);
    void setImage(std::shared_ptr<UIImage> image);
    const std::string& textLabelText() const;
    void setTextLabelText(const std::string& text);
    void setTextLabelTextColor(const UIColor& color);
    void setTextLabelFont(const UIFont& font);
    CGFloat verticalOffset() const { return verticalOffset_; }
    void setVerticalOffset(CGFloat offset);

    void layoutSubviews() override;
    void didMoveToSuperview() override;

  protected:
    void subviewHiddenDidChange(UIView& subview) override;

  private:
    void attachContent();

    std::shared_ptr<UIActivityIndicatorView> loadingView_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UILabel> textLabel_;
    CGFloat verticalOffset_ = 0;
    bool contentAttached_ = false;
};
