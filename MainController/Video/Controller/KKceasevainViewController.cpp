#include "MainController/Video/Controller/KKceasevainViewController.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Crypto/MIUGTMBase64.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/ServiceConfiguration.h"
#include "platform/Foundation/Bundle.h"
#include "platform/QMUIKit/Controllers/QMUIAssetsManager.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

namespace {

// The slogan before the title, "Vantra免费看 ", kept as Base64 of its UTF-8 bytes.
constexpr const char* kPosterSlogan = "VmFudHJh5YWN6LS555yLIA==";

std::string textOrEmpty(const std::optional<std::string>& text) {
    return text.value_or("");
}

} // namespace

std::string KKceasevainViewController::qrcodeAddress() {
    std::string origin = ServiceConfiguration::current().baseURL1;
    if (!origin.ends_with('/')) {
        origin += '/';
    }
    return origin + "down/qrcode.png";
}

std::shared_ptr<KKceasevainViewController> KKceasevainViewController::self() {
    return std::static_pointer_cast<KKceasevainViewController>(shared_from_this());
}

void KKceasevainViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    setupData();
}

void KKceasevainViewController::setupUI() {
    const auto& view = this->view();
    std::weak_ptr<KKceasevainViewController> weakSelf = self();

    closeButton_ = std::make_shared<QMUIButton>();
    closeButton_->setImage(UIImage::imageNamed("close"), UIControlStateNormal);
    closeButton_->setQmui_tapBlock([weakSelf](UIControl&) {
        if (const auto page = weakSelf.lock()) {
            page->dismissViewControllerAnimated(true);
        }
    });

    saveButton_ = std::make_shared<QMUIButton>();
    saveButton_->setImagePosition(QMUIButtonImagePosition::top);
    saveButton_->setSpacingBetweenImageAndTitle(6);
    saveButton_->setTitle("保存到相册", UIControlStateNormal);
    saveButton_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    saveButton_->titleLabel()->setFont(UIFont::systemFontOfSize(15));
    saveButton_->setImage(UIImage::imageNamed("saveImage"), UIControlStateNormal);
    saveButton_->setQmui_tapBlock([weakSelf](UIControl&) {
        if (const auto page = weakSelf.lock()) {
            page->saveToAlbum();
        }
    });

    kkaccountanttense_ = std::make_shared<UIView>();
    kkaccountanttense_->layer()->setCornerRadius(10);
    kkaccountanttense_->setClipsToBounds(true);
    kkaccountanttense_->setBackgroundColor(UIColor::whiteColor());

    // The band under the title is white like the card, so that the dark texts on it read.
    infoView_ = std::make_shared<UIView>();
    infoView_->setBackgroundColor(UIColor::whiteColor());

    coverView_ = std::make_shared<UIImageView>(placeholderImage());
    coverView_->setClipsToBounds(true);
    coverView_->setContentMode(UIViewContentMode::scaleAspectFill);
    // The cover fills what the card leaves it, whatever the picture's own size.
    for (const auto axis : {UILayoutConstraintAxis::horizontal, UILayoutConstraintAxis::vertical}) {
        coverView_->setContentCompressionResistancePriority(UILayoutPriorityFittingSizeLevel, axis);
        coverView_->setContentHuggingPriority(UILayoutPriorityFittingSizeLevel, axis);
    }

    titleLabel_ = std::make_shared<QMUILabel>();
    titleLabel_->setTextColor(hexColor("28272C"));
    titleLabel_->setFont(UIFont::systemFontOfSize(18));

    logoView_ = std::make_shared<UIImageView>(UIImage::imageNamed("logo"));
    logoView_->layer()->setCornerRadius(10);
    logoView_->setClipsToBounds(true);
    logoView_->layer()->setShadowOffset({0, 2});
    logoView_->layer()->setShadowColor(UIColor{0, 0, 0, 0.25});
    logoView_->layer()->setShadowRadius(4);
    logoView_->layer()->setShadowOpacity(1);

    appName_ = std::make_shared<QMUILabel>();
    appName_->setText(Bundle::main().infoValue("CFBundleDisplayName").stringValue());
    appName_->setTextColor(hexColor("28272C"));
    appName_->setFont(UIFont::systemFontOfSize(10));

    infoLabel_ = std::make_shared<QMUILabel>();
    infoLabel_->setNumberOfLines(2);
    infoLabel_->setTextAlignment(NSTextAlignment::right);
    infoLabel_->setTextColor(hexColor("BEBDC2"));
    infoLabel_->setFont(UIFont::systemFontOfSize(12));
    infoLabel_->setText("长按识别二维码\n海量视频等你来看");

    qrcodeView_ = std::make_shared<UIImageView>();

    view->addSubview(closeButton_);
    view->addSubview(saveButton_);
    view->addSubview(kkaccountanttense_);
    for (const auto& part : std::initializer_list<std::shared_ptr<UIView>>{
             infoView_, coverView_, titleLabel_, logoView_, appName_, infoLabel_, qrcodeView_}) {
        kkaccountanttense_->addSubview(part);
    }

    const auto& card = kkaccountanttense_;
    saveButton_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalToSuperview().offset(-77);
        make.centerX.equalToSuperview();
    });
    card->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(view->safeAreaLayoutGuide()->snp.top).offset(90);
        make.bottom.equalTo(saveButton_->snp.top).offset(-30);
        make.left.equalToSuperview().offset(34);
        make.right.equalToSuperview().offset(-34);
    });
    closeButton_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalTo(card->snp.top).offset(-13);
        make.right.equalTo(card->snp.right).offset(-10);
    });
    infoView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.bottom.left().right().equalToSuperview();
        make.height.equalTo(123);
    });
    coverView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.bottom.equalTo(infoView_->snp.top);
    });
    titleLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(coverView_->snp.bottom).offset(8);
        make.left.equalToSuperview().offset(20);
        make.right.equalToSuperview().offset(-20);
    });
    logoView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(titleLabel_->snp.bottom).offset(20);
        make.left.equalToSuperview().offset(20);
        make.size.equalTo(CGSize{36, 36});
    });
    appName_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(logoView_->snp.bottom).offset(2);
        make.centerX.equalTo(logoView_);
    });
    qrcodeView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.equalToSuperview().offset(-18);
        make.bottom.equalToSuperview().offset(-18);
        make.size.equalTo(CGSize{53, 53});
    });
    infoLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.right.equalTo(qrcodeView_->snp.left).offset(-6);
        make.bottom.equalTo(qrcodeView_);
    });
}

void KKceasevainViewController::setupData() {
    const std::string slogan = MIUGTMBase64::decodeBase64String(kPosterSlogan).value_or("");
    if (model) {
        sd_setImageWithURL(coverView_, textOrEmpty(model->cover), placeholderImage());
        titleLabel_->setText(slogan + textOrEmpty(model->title));
    } else {
        titleLabel_->setText(slogan);
    }
    sd_setImageWithURL(qrcodeView_, qrcodeAddress());
}

void KKceasevainViewController::saveToAlbum() {
    const auto picture = qmui_snapshotLayerImage(*kkaccountanttense_);
    std::weak_ptr<KKceasevainViewController> weakSelf = self();
    QMUIImageWriteToSavedPhotosAlbumWithAlbumAssetsGroup(
        picture, std::make_shared<QMUIAssetsGroup>(),
        [weakSelf](const std::optional<QMUIAsset>& asset, const std::optional<NSError>& error) {
            if (!weakSelf.lock()) {
                return;
            }
            if (asset && !error) {
                QMUITips::showSucceed(savedText);
            } else {
                QMUITips::showError(failedText);
            }
        });
}
