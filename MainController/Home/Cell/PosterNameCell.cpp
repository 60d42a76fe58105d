#include "MainController/Home/Cell/PosterNameCell.h"

#include "MainController/Home/Cell/PosterImage.h"
#include "app/Models/KKfinancerub.h"

PosterNameCell::PosterNameCell(const CGRect& frame, double nameFontSize)
    : BaseCollectionViewCell(frame), kkdrainexempt_(makePosterImageView()),
      name_(makePosterNameLabel(nameFontSize)) {}

void PosterNameCell::didMoveToSuperview() {
    BaseCollectionViewCell::didMoveToSuperview();
    setupUI();
}

void PosterNameCell::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    addSubview(kkdrainexempt_);
    addSubview(name_);
    constrainSubviews();
}

void PosterNameCell::configure(const KKfinancerub& film) {
    loadPoster(kkdrainexempt_, film.vodPic);
    name_->setText(film.vodName.value_or(""));
}

void PosterNameCell::prepareForReuse() {
    BaseCollectionViewCell::prepareForReuse();
    resetPoster(kkdrainexempt_);
}
