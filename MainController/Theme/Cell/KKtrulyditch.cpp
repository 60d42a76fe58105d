#include "MainController/Theme/Cell/KKtrulyditch.h"

#include "MainController/Home/Cell/PosterImage.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIDevice.h"

namespace {

std::shared_ptr<QMUILabel> makeCardLabel(const std::string& text, CGFloat fontSize) {
    auto label = std::make_shared<QMUILabel>();
    label->setText(text);
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(fontSize, UIFontWeightMedium));
    label->setTextAlignment(NSTextAlignment::center);
    return label;
}

std::shared_ptr<UIImageView> makeStroke(const std::string& image) {
    auto stroke = std::make_shared<UIImageView>(UIImage::imageNamed(image));
    stroke->setContentMode(UIViewContentMode::scaleAspectFill);
    return stroke;
}

} // namespace

CGFloat KKtrulyditch::cardHeight() {
    return UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::pad ? 316 : 216;
}

KKtrulyditch::KKtrulyditch(const CGRect& frame)
    : BaseCollectionViewCell(frame),
      kkdrainexempt_(std::make_shared<UIImageView>(CGRectMake(0, 0, screenWidth() - 30, cardHeight()))),
      name_(makeCardLabel("名字", 20)), leftLine_(makeStroke("theme_line_left")),
      count_(makeCardLabel("0个影片", 15)), rightLine_(makeStroke("theme_line_right")) {
    kkdrainexempt_->setImage(placeholderImage());
    kkdrainexempt_->setContentMode(UIViewContentMode::scaleAspectFill);
    kkdrainexempt_->layer()->setCornerRadius(6);
    kkdrainexempt_->setClipsToBounds(true);
}

void KKtrulyditch::didMoveToSuperview() {
    BaseCollectionViewCell::didMoveToSuperview();
    setupUI();
}

void KKtrulyditch::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    addSubview(kkdrainexempt_);
    addSubview(name_);
    addSubview(leftLine_);
    addSubview(count_);
    addSubview(rightLine_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    name_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().offset(76);
        make.left.equalToSuperview().offset(12);
        make.right.equalToSuperview().offset(-12);
    });
    count_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(name_->snp.bottom).offset(15);
        make.centerX.equalTo(name_->snp.centerX);
    });
    leftLine_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalTo(count_->snp.left).offset(-25);
        make.centerY.equalTo(count_->snp.centerY);
    });
    rightLine_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(count_->snp.right).offset(25);
        make.centerY.equalTo(count_->snp.centerY);
    });
    // The fade goes on once the cover has its card's size, after the current pass.
    std::weak_ptr<UIImageView> weakCover = kkdrainexempt_;
    mainQueue().async([weakCover] {
        if (auto cover = weakCover.lock()) {
            addGradientBackground(*cover->layer(), {hexColor("050505", 1.0), hexColor("3C3A43", 0.0)});
        }
    });
}

void KKtrulyditch::configure(const JSON& topic) {
    loadPoster(kkdrainexempt_, topic["topic_pic"].stringValue());
    count_->setText(topic["vod_num"].stringValue() + "个影片");
    name_->setText(topic["topic_name"].stringValue());
}

void KKtrulyditch::prepareForReuse() {
    BaseCollectionViewCell::prepareForReuse();
    resetPoster(kkdrainexempt_);
}
