#pragma once

#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controllers/QMUIModalPresentationViewController.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The play-source pop-up: a 400-point bottom sheet headed "切换视频源" listing the title's
// play sources three a row, the one playing marked. A tap on a source hands its type to
// `clickSwitch` and closes the sheet; a tap outside closes it without a choice. The
// opener sets `vod_id`, `type` and `clickSwitch`, then shows it.
class KKproductstaircaseViewController : public QMUIModalPresentationViewController,
                                         public UICollectionViewDataSource,
                                         public UICollectionViewDelegateFlowLayout {
  public:
    static constexpr CGFloat sheetHeight = 400;

    // Told the type of the chosen source.
    std::function<void(const std::string& type)> clickSwitch;
    std::string vod_id;
    // The type of the source now playing; its tile is marked.
    std::string type;
    // The sources as the service listed them ("typeName", "type").
    std::vector<JSON> list;

    const std::shared_ptr<UIView>& kkaccountanttense();
    const std::shared_ptr<QMUILabel>& titleLabel();
    const std::shared_ptr<UICollectionView>& collectionView();

    void viewDidLoad() override;
    virtual void setupUI();

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  private:
    void handleResourceList(const std::optional<JSON>& answer);

    std::shared_ptr<UIView> kkaccountanttense_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UICollectionView> collectionView_;
};
