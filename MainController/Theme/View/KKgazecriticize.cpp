#include "MainController/Theme/View/KKgazecriticize.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

std::shared_ptr<QMUILabel> makeLabel(const std::string& text, const UIColor& color, const UIFont& font) {
    auto label = std::make_shared<QMUILabel>();
    label->setText(text);
    label->setTextColor(color);
    label->setFont(font);
    return label;
}

std::shared_ptr<UIImageView> makePicture(CGFloat cornerRadius) {
    auto picture = std::make_shared<UIImageView>(placeholderImage());
    picture->setContentMode(UIViewContentMode::scaleAspectFill);
    picture->layer()->setCornerRadius(cornerRadius);
    picture->setClipsToBounds(true);
    return picture;
}

std::shared_ptr<UIView> makeBar(const char* color) {
    auto bar = std::make_shared<UIView>();
    bar->setBackgroundColor(hexColor(color, 1));
    return bar;
}

} // namespace

std::shared_ptr<KKgazecriticize> KKgazecriticize::make(const CGRect& frame) {
    auto header = std::make_shared<KKgazecriticize>(frame);
    header->setupUI();
    return header;
}

const std::shared_ptr<UIImageView>& KKgazecriticize::backgroundView() {
    if (!backgroundView_) {
        backgroundView_ = makePicture(0);
    }
    return backgroundView_;
}

const std::shared_ptr<UIImageView>& KKgazecriticize::kkdrainexempt() {
    if (!kkdrainexempt_) {
        kkdrainexempt_ = makePicture(3);
    }
    return kkdrainexempt_;
}

const std::shared_ptr<QMUILabel>& KKgazecriticize::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ =
            makeLabel("主题", UIColor::whiteColor(), UIFont::systemFontOfSize(15, UIFontWeightMedium));
    }
    return titleLabel_;
}

const std::shared_ptr<QMUILabel>& KKgazecriticize::kkappropriatepostpone() {
    if (!kkappropriatepostpone_) {
        kkappropriatepostpone_ = makeLabel("共0个影片", UIColor::whiteColor(), UIFont::systemFontOfSize(12));
    }
    return kkappropriatepostpone_;
}

const std::shared_ptr<UIView>& KKgazecriticize::kkvehicleskeleton() {
    if (!kkvehicleskeleton_) {
        kkvehicleskeleton_ = makeBar("D73F3F");
    }
    return kkvehicleskeleton_;
}

const std::shared_ptr<QMUILabel>& KKgazecriticize::kkskeletonfeast() {
    if (!kkskeletonfeast_) {
        kkskeletonfeast_ =
            makeLabel("简介", hexColor("28272C"), UIFont::systemFontOfSize(18, UIFontWeightMedium));
    }
    return kkskeletonfeast_;
}

const std::shared_ptr<QMUILabel>& KKgazecriticize::kkcompetentingredient() {
    if (!kkcompetentingredient_) {
        kkcompetentingredient_ = makeLabel("内容", hexColor("28272C"), UIFont::systemFontOfSize(14));
        kkcompetentingredient_->setNumberOfLines(0);
    }
    return kkcompetentingredient_;
}

const std::shared_ptr<UIView>& KKgazecriticize::kkdecoratevirtue() {
    if (!kkdecoratevirtue_) {
        kkdecoratevirtue_ = makeBar("EDEDED");
    }
    return kkdecoratevirtue_;
}

const std::shared_ptr<UIView>& KKgazecriticize::kkoccurmemorial() {
    if (!kkoccurmemorial_) {
        kkoccurmemorial_ = makeBar("D73F3F");
    }
    return kkoccurmemorial_;
}

const std::shared_ptr<QMUILabel>& KKgazecriticize::kkpostponeoccur() {
    if (!kkpostponeoccur_) {
        kkpostponeoccur_ =
            makeLabel("精彩电影", hexColor("28272C"), UIFont::systemFontOfSize(18, UIFontWeightMedium));
    }
    return kkpostponeoccur_;
}

void KKgazecriticize::setupUI() {
    addSubview(backgroundView());
    backgroundView_->addSubview(kkdrainexempt());
    backgroundView_->addSubview(titleLabel());
    backgroundView_->addSubview(kkappropriatepostpone());
    addSubview(kkvehicleskeleton());
    addSubview(kkskeletonfeast());
    addSubview(kkcompetentingredient());
    addSubview(kkdecoratevirtue());
    addSubview(kkoccurmemorial());
    addSubview(kkpostponeoccur());

    backgroundView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(260);
    });
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.bottom.equalToSuperview().offset(-20);
        make.left.equalToSuperview().offset(15);
        make.height.equalTo(132);
        make.width.equalTo(102);
    });
    titleLabel_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.top).offset(15);
        make.left.equalToSuperview().offset(132);
        make.right.equalToSuperview().offset(-15);
    });
    kkappropriatepostpone_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(titleLabel_->snp.bottom).offset(10);
        make.right.equalToSuperview().offset(-15);
        make.left.equalTo(titleLabel_->snp.left);
    });
    kkvehicleskeleton_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(backgroundView_->snp.bottom).offset(20);
        make.left.equalToSuperview().offset(15);
        make.height.equalTo(17);
        make.width.equalTo(3);
    });
    kkskeletonfeast_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(kkvehicleskeleton_->snp.right).offset(4);
        make.centerY.equalTo(kkvehicleskeleton_->snp.centerY);
    });
    kkcompetentingredient_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkskeletonfeast_->snp.bottom).offset(10);
        make.left.equalToSuperview().offset(15);
        make.right.equalToSuperview().offset(-15);
    });
    kkdecoratevirtue_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkcompetentingredient_->snp.bottom).offset(15);
        make.left.equalToSuperview().offset(15);
        make.right.equalToSuperview().offset(-15);
        make.height.equalTo(0.5);
    });
    kkoccurmemorial_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdecoratevirtue_->snp.bottom).offset(20);
        make.left.equalToSuperview().offset(15);
        make.height.equalTo(17);
        make.width.equalTo(3);
    });
    kkpostponeoccur_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(kkoccurmemorial_->snp.right).offset(4);
        make.centerY.equalTo(kkoccurmemorial_->snp.centerY);
    });
    std::weak_ptr<UIResponder> weak = weak_from_this();
    mainQueue().async([weak] {
        if (auto header = std::static_pointer_cast<KKgazecriticize>(weak.lock())) {
            header->addBlur();
        }
    });
}

// The blur lies on the picture, below the cover and the texts. It is held to the picture's
// edges rather than given the picture's size of the moment, so that it covers the whole
// picture whatever size the header had when it was made.
void KKgazecriticize::addBlur() {
    if (blurView_) {
        return;
    }
    blurView_ = std::make_shared<UIVisualEffectView>(
        UIBlurEffect::effectWithStyle(UIBlurEffectStyle::systemUltraThinMaterialDark));
    backgroundView_->insertSubview(blurView_, 0);
    blurView_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
}

CGFloat KKgazecriticize::contentHeight(CGFloat width) {
    if (bounds().size.width != width) {
        CGRect resized = frame();
        resized.size.width = width;
        setFrame(resized);
    }
    layoutIfNeeded();
    const CGRect caption = kkpostponeoccur()->frame();
    return caption.origin.y + caption.size.height + 15;
}
