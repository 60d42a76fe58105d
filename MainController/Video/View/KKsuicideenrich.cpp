#include "MainController/Video/View/KKsuicideenrich.h"

#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

std::shared_ptr<QMUILabel> label(const std::string& text, const std::string& colour) {
    auto made = std::make_shared<QMUILabel>();
    made->setText(text);
    made->setTextColor(hexColor(colour, 1.0));
    made->setNumberOfLines(0);
    made->setFont(UIFont::systemFontOfSize(14));
    return made;
}

} // namespace

std::shared_ptr<KKsuicideenrich> KKsuicideenrich::make() {
    auto footer = std::make_shared<KKsuicideenrich>();
    footer->setupUI();
    return footer;
}

void KKsuicideenrich::setupUI() {
    kkdecoratevirtue_ = std::make_shared<UIView>();
    kkdecoratevirtue_->setBackgroundColor(hexColor("EDEDED", 1.0));
    kkvehicleskeleton_ = std::make_shared<UIView>();
    kkvehicleskeleton_->setBackgroundColor(hexColor("D73F3F", 1.0));
    kkskeletonfeast_ = std::make_shared<QMUILabel>();
    kkskeletonfeast_->setText("简介");
    kkskeletonfeast_->setTextColor(hexColor("28272C", 1.0));
    kkskeletonfeast_->setFont(UIFont::systemFontOfSize(18, UIFontWeightMedium));
    kkcompetentingredient_ = label("内容", "28272C");
    areaTitle_ = label("地区：", "#999999");
    areaLabel_ = label("不详", "28272C");
    yearTitle_ = label("年份：", "#999999");
    yearLabel_ = label("不详", "28272C");
    classTitle_ = label("分类：", "#999999");
    classLabel_ = label("不详", "28272C");
    directorTitle_ = label("导演：", "#999999");
    directorLabel_ = label("不详", "28272C");
    actorTitle_ = label("演员：", "#999999");
    actorLabel_ = label("不详", "28272C");
    timeTitle_ = label("发布：", "#999999");
    kkverdictheadquarters_ = label("不详", "28272C");

    for (const std::shared_ptr<UIView>& view : std::initializer_list<std::shared_ptr<UIView>>{
             kkdecoratevirtue_, kkvehicleskeleton_, kkskeletonfeast_, kkcompetentingredient_, areaTitle_,
             areaLabel_, yearTitle_, yearLabel_, classTitle_, classLabel_, directorTitle_, directorLabel_,
             actorTitle_, actorLabel_, timeTitle_, kkverdictheadquarters_}) {
        addSubview(view);
    }

    kkdecoratevirtue_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.right().top().equalToSuperview().inset(15);
        make.height.equalTo(0.5);
    });
    kkvehicleskeleton_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdecoratevirtue_->snp.bottom).offset(18);
        make.left.equalToSuperview().inset(15);
        make.height.equalTo(17);
        make.width.equalTo(3);
    });
    kkskeletonfeast_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(kkvehicleskeleton_->snp.right).offset(4);
        make.centerY.equalTo(kkvehicleskeleton_->snp.centerY);
    });
    areaTitle_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkskeletonfeast_->snp.bottom).offset(10);
        make.left.equalToSuperview().inset(15);
    });
    const std::pair<std::shared_ptr<QMUILabel>, std::shared_ptr<QMUILabel>> rows[] = {
        {areaTitle_, areaLabel_},         {yearTitle_, yearLabel_},   {classTitle_, classLabel_},
        {directorTitle_, directorLabel_}, {actorTitle_, actorLabel_}, {timeTitle_, kkverdictheadquarters_}};
    std::shared_ptr<QMUILabel> above;
    for (const auto& row : rows) {
        const auto& caption = row.first;
        const auto& value = row.second;
        if (above) {
            caption->snp.makeConstraints([&above](ConstraintMaker& make) {
                make.top.equalTo(above->snp.bottom).offset(12);
                make.left.equalToSuperview().inset(15);
            });
        }
        value->snp.makeConstraints([&caption](ConstraintMaker& make) {
            make.right.equalToSuperview().inset(15);
            make.left.equalToSuperview().inset(58);
            make.top.equalTo(caption->snp.top);
        });
        above = value;
    }
    kkcompetentingredient_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkverdictheadquarters_->snp.bottom).offset(10);
        make.left.right().equalToSuperview().inset(15);
    });
}
