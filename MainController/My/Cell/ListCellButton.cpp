#include "MainController/My/Cell/ListCellButton.h"

#include "MainController/Search/Cell/KKappealsubsequent.h"
#include "platform/SnapKit/ConstraintMaker.h"

void placeTrailingButton(KKappealsubsequent& cell, const std::shared_ptr<UIView>& button) {
    cell.contentView()->addSubview(button);
    button->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(10);
        make.centerY.equalToSuperview();
        make.width.height().equalTo(44);
    });
    cell.name()->snp.updateConstraints(
        [](ConstraintMaker& make) { make.right.equalToSuperview().inset(55); });
}
