#include "MainController/Home/Cell/KKassumefinance.h"

#include "MainController/Home/Cell/PosterImage.h"
#include "app/Models/KKfinancerub.h"
#include "platform/SnapKit/ConstraintMaker.h"

KKassumefinance::KKassumefinance(const CGRect& frame)
    : BaseCollectionViewCell(frame), kkdrainexempt_(makePosterImageView()), name_(makePosterNameLabel(12)) {}

void KKassumefinance::didMoveToSuperview() {
    BaseCollectionViewCell::didMoveToSuperview();
    setupUI();
}

void KKassumefinance::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    addSubview(kkdrainexempt_);
    addSubview(name_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().equalToSuperview();
        make.size.equalTo(CGSize{102, 132});
    });
    name_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.bottom).offset(8);
        make.left.right().equalToSuperview().inset(8);
    });
}

void KKassumefinance::configure(const KKfinancerub& film) {
    loadPoster(kkdrainexempt_, film.vodPic);
    name_->setText(film.vodName.value_or(""));
}

void KKassumefinance::prepareForReuse() {
    BaseCollectionViewCell::prepareForReuse();
    resetPoster(kkdrainexempt_);
}
