#include "MainController/Home/Cell/KKassumefinance.h"

#include "platform/SnapKit/ConstraintMaker.h"

KKassumefinance::KKassumefinance(const CGRect& frame) : PosterNameCell(frame, 12) {}

void KKassumefinance::constrainSubviews() {
    kkdrainexempt()->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().equalToSuperview();
        make.size.equalTo(CGSize{102, 132});
    });
    name()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt()->snp.bottom).offset(8);
        make.left.right().equalToSuperview().inset(8);
    });
}
