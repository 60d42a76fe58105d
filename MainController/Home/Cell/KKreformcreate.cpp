#include "MainController/Home/Cell/KKreformcreate.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/PosterImage.h"
#include "MainController/Home/Helpers/FilmStars.h"
#include "MainController/Home/View/KKrubaggravate.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKfinancerub.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIFont.h"

namespace {

constexpr CGSize kCardSize{212, 276};

const char* starImageName(StarLook look) {
    return look == StarLook::lit ? "start_light" : "start_half";
}

std::shared_ptr<KKrubaggravate> filmRow(const KKfinancerub& film) {
    auto row = KKrubaggravate::make();
    loadPoster(row->kkdrainexempt(), film.vodPic);
    row->title()->setText(film.vodName.value_or(""));
    const std::string score = film.vodDoubanScore.value_or("");
    row->score()->setText(score);
    const auto stars = starsForScore(score);
    for (std::size_t i = 0; i < stars.size(); ++i) {
        if (stars[i] != StarLook::unlit) {
            row->stars()[i]->setImage(UIImage::imageNamed(starImageName(stars[i])));
        }
    }
    const std::string vodId = film.vodId.value_or("");
    addTapAction(*row, [vodId](UITapGestureRecognizer&) {
        auto page = std::make_shared<KKgiganticgloomy>();
        page->vod_id = vodId;
        KKpresentationdisease::getCurrentVC()->showViewController(page, nullptr);
    });
    return row;
}

} // namespace

KKreformcreate::KKreformcreate(const CGRect& frame)
    : BaseCollectionViewCell(frame), kkdrainexempt_(std::make_shared<UIImageView>(CGRect{{0, 0}, kCardSize})),
      title_(std::make_shared<QMUILabel>()), kkloungecandy_(std::make_shared<UIStackView>()),
      moreBtn_(std::make_shared<QMUIButton>()) {
    kkdrainexempt_->setContentMode(UIViewContentMode::scaleToFill);
    kkdrainexempt_->setImage(placeholderImage());
    title_->setText(MIUGTMBase64::decodeBase64String("55S15b2x").value_or(""));
    title_->setTextColor(UIColor::whiteColor());
    title_->setFont(UIFont::systemFontOfSize(20, UIFontWeightMedium));
    kkloungecandy_->setAxis(UILayoutConstraintAxis::vertical);
    kkloungecandy_->setSpacing(8);
    kkloungecandy_->setDistribution(UIStackViewDistribution::equalSpacing);
    moreBtn_->setHidden(true);
    moreBtn_->setTitle(MIUGTMBase64::decodeBase64String("5p+l55yL5pu05aSa").value_or(""),
                       UIControlStateNormal);
    moreBtn_->setTitleColor(hexColor("222222"), UIControlStateNormal);
    moreBtn_->titleLabel()->setFont(UIFont::systemFontOfSize(12, UIFontWeightMedium));
}

void KKreformcreate::didMoveToSuperview() {
    BaseCollectionViewCell::didMoveToSuperview();
    setupUI();
}

void KKreformcreate::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    addSubview(kkdrainexempt_);
    addSubview(title_);
    addSubview(kkloungecandy_);
    addSubview(moreBtn_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    title_->snp.makeConstraints(
        [](ConstraintMaker& make) { make.top.left().right().equalToSuperview().inset(12); });
    kkloungecandy_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().inset(12);
        make.top.equalToSuperview().inset(49);
    });
    moreBtn_->snp.makeConstraints([](ConstraintMaker& make) {
        make.bottom.equalToSuperview().inset(8);
        make.centerX.equalToSuperview();
    });
    layer()->setCornerRadius(6);
    setClipsToBounds(true);
    // The picture keeps the card's size, so its gradient is laid once over that size.
    addGradientBackground(
        *kkdrainexempt_->layer(),
        {UIColor::colorWithRed(30 / 255.0, 30 / 255.0, 31 / 255.0, 0.5), UIColor::colorWithWhite(1, 0.9)});
}

void KKreformcreate::configure(const JSON& card) {
    loadPoster(kkdrainexempt_, card["bgpic"].string());
    title_->setText(card["rec_name"].stringValue());
    removeAllSubviews(*kkloungecandy_);
    for (const auto& element : card["list"].arrayValue()) {
        auto row = filmRow(KKfinancerub(element));
        kkloungecandy_->addArrangedSubview(row);
        row->snp.makeConstraints([](ConstraintMaker& make) { make.size.equalTo(CGSize{212, 58}); });
    }
}

void KKreformcreate::prepareForReuse() {
    BaseCollectionViewCell::prepareForReuse();
    resetPoster(kkdrainexempt_);
}
