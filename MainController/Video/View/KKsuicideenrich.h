#pragma once

#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionViewCell.h"

#include <memory>

// The player page's section footer: a separator, the "简介" heading beside an accent bar,
// six labelled facts (area, year, class, director, actors, release) and the synopsis.
// Rows stack downwards, so a value that wraps pushes the rest down; the page sizes the
// block from the synopsis's bottom edge.
class KKsuicideenrich : public UICollectionReusableView {
  public:
    static std::shared_ptr<KKsuicideenrich> make();
    KKsuicideenrich() = default;

    const std::shared_ptr<UIView>& kkdecoratevirtue() const { return kkdecoratevirtue_; }
    const std::shared_ptr<UIView>& kkvehicleskeleton() const { return kkvehicleskeleton_; }
    const std::shared_ptr<QMUILabel>& kkskeletonfeast() const { return kkskeletonfeast_; }
    // The synopsis.
    const std::shared_ptr<QMUILabel>& kkcompetentingredient() const { return kkcompetentingredient_; }
    const std::shared_ptr<QMUILabel>& areaLabel() const { return areaLabel_; }
    const std::shared_ptr<QMUILabel>& yearLabel() const { return yearLabel_; }
    const std::shared_ptr<QMUILabel>& classLabel() const { return classLabel_; }
    const std::shared_ptr<QMUILabel>& directorLabel() const { return directorLabel_; }
    const std::shared_ptr<QMUILabel>& actorLabel() const { return actorLabel_; }
    // The release value.
    const std::shared_ptr<QMUILabel>& kkverdictheadquarters() const { return kkverdictheadquarters_; }

  private:
    void setupUI();

    std::shared_ptr<UIView> kkdecoratevirtue_;
    std::shared_ptr<UIView> kkvehicleskeleton_;
    std::shared_ptr<QMUILabel> kkskeletonfeast_;
    std::shared_ptr<QMUILabel> kkcompetentingredient_;
    std::shared_ptr<QMUILabel> areaTitle_;
    std::shared_ptr<QMUILabel> areaLabel_;
    std::shared_ptr<QMUILabel> yearTitle_;
    std::shared_ptr<QMUILabel> yearLabel_;
    std::shared_ptr<QMUILabel> classTitle_;
    std::shared_ptr<QMUILabel> classLabel_;
    std::shared_ptr<QMUILabel> directorTitle_;
    std::shared_ptr<QMUILabel> directorLabel_;
    std::shared_ptr<QMUILabel> actorTitle_;
    std::shared_ptr<QMUILabel> actorLabel_;
    std::shared_ptr<QMUILabel> timeTitle_;
    std::shared_ptr<QMUILabel> kkverdictheadquarters_;
};
