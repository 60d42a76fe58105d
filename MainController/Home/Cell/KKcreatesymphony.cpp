#include "MainController/Home/Cell/KKcreatesymphony.h"

#include "platform/SnapKit/ConstraintMaker.h"

KKcreatesymphony::KKcreatesymphony(const CGRect& frame) : PosterNameCell(frame, 14) {}

void KKcreatesymphony::constrainSubviews() {
    kkdrainexempt()->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.bottom.equalToSuperview().offset(-28);
    });
    name()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt()->snp.bottom).offset(8);
        make.left.right().equalToSuperview();
    });
}
