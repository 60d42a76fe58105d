#pragma once

#include "MainController/My/Model/DownloadCoordinator.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controllers/QMUIModalPresentationViewController.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The download picker: a 450-point sheet at the bottom of the screen with one tile per
// episode of the player page's current source. A tile shows its download (a mark once
// finished, a live bar while running); a tap starts, resumes or reports the episode's
// download, and the storage line tells the bytes of all downloads and the space left.
// The downloads themselves belong to the download coordinator: closing the sheet stops
// nothing.
class KKdeafproductViewController : public QMUIModalPresentationViewController,
                                    public UICollectionViewDataSource,
                                    public UICollectionViewDelegateFlowLayout,
                                    public DownloadObserver {
  public:
    // The source type (sent to the parse endpoint and stored in new records).
    std::string type;
    // The source's episodes; element i is episode i ("item", "src").
    std::vector<JSON> list;
    // The title's detail.
    JSON json = JSON(JSON::Storage::object());

    const std::shared_ptr<UIView>& kkaccountanttense();
    const std::shared_ptr<QMUILabel>& titleLabel();
    const std::shared_ptr<UICollectionView>& collectionView();
    const std::shared_ptr<UIView>& kkdecoratevirtue();
    const std::shared_ptr<QMUILabel>& kkvirtuearch();

    void viewDidLoad() override;
    virtual void setupUI();

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

    void downloadProgressDidChange(const std::string& url, float progress) override;
    void downloadStateDidChange(const std::string& url, const std::string& state,
                                const std::optional<NSError>& error) override;

    // The full width of a tile's progress bar.
    static CGFloat progressBarWidth();

  private:
    void startNewDownload(long item);
    void handleParse(long item, const std::string& src, const std::optional<JSON>& answer);

    std::shared_ptr<UIView> kkaccountanttense_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<UIView> kkdecoratevirtue_;
    std::shared_ptr<QMUILabel> kkvirtuearch_;
    // Episodes whose parse request is on its way: a second tap waits for it.
    std::set<long> parsing_;
    // The tile of each download address shown.
    std::map<std::string, long> tileOfURL_;
};
