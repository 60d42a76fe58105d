#include "MainController/Home/Cell/KKcreatesymphony.h"

#include "MainController/Home/Cell/PosterImage.h"
#include "app/Models/KKfinancerub.h"
#include "platform/SnapKit/ConstraintMaker.h"

KKcreatesymphony::KKcreatesymphony(const CGRect& frame)
    : BaseCollectionViewCell(frame), kkdrainexempt_(makePosterImageView()), name_(makePosterNameLabel(14)) {}

void KKcreatesymphony::didMoveToSuperview() {
    BaseCollectionViewCell::didMoveToSuperview();
    setupUI();
}

void KKcreatesymphony::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    addSubview(kkdrainexempt_);
    addSubview(name_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.bottom.equalToSuperview().offset(-28);
    });
    name_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.bottom).offset(8);
        make.left.right().equalToSuperview();
    });
}

void KKcreatesymphony::configure(const KKfinancerub& film) {
    loadPoster(kkdrainexempt_, film.vodPic);
    name_->setText(film.vodName.value_or(""));
}

void KKcreatesymphony::prepareForReuse() {
    BaseCollectionViewCell::prepareForReuse();
    resetPoster(kkdrainexempt_);
}
