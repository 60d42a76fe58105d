#include "platform/SJBaseVideoPlayer/Player/SJPromptingPopupController.h"

#include "platform/UIKit/UILabel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kPadding = 10;
constexpr CGFloat kVerticalPadding = 6;

// One prompt: the text on a rounded dark box.
class PromptView : public UIView {
  public:
    explicit PromptView(const NSAttributedString& title) {
        setBackgroundColor(UIColor::colorWithWhite(0, 0.8));
        layer()->setCornerRadius(5);
        label_ = std::make_shared<UILabel>();
        label_->setNumberOfLines(0);
        label_->setAttributedText(title);
    }

    void didMoveToSuperview() override {
        if (label_->superview() == nullptr) {
            addSubview(label_);
        }
    }

    CGSize sizeThatFits(CGSize size) const override {
        const CGFloat maxTextWidth = std::max<CGFloat>(0, size.width - 2 * kPadding);
        const CGSize text = label_->sizeThatFits({maxTextWidth, CGFLOAT_MAX});
        return {std::ceil(std::min(text.width, maxTextWidth)) + 2 * kPadding,
                std::ceil(text.height) + 2 * kVerticalPadding};
    }

    void layoutSubviews() override {
        UIView::layoutSubviews();
        label_->setFrame(bounds().insetBy(kPadding, kVerticalPadding));
    }

  private:
    std::shared_ptr<UILabel> label_;
};

} // namespace

// The prompts' area: lets through every touch that misses a prompt.
class SJPromptingPopupController::AreaView : public UIView {
  public:
    explicit AreaView(SJPromptingPopupController& owner) : owner_(&owner) {}
    // The area may outlive its controller inside a page that still shows it.
    void forgetOwner() { owner_ = nullptr; }

    std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event) override {
        auto hit = UIView::hitTest(point, event);
        return hit.get() == this ? nullptr : hit;
    }

    void layoutSubviews() override {
        UIView::layoutSubviews();
        if (owner_ != nullptr) {
            owner_->layoutPrompts();
        }
    }

  private:
    SJPromptingPopupController* owner_;
};

SJPromptingPopupController::SJPromptingPopupController() : view_(std::make_shared<AreaView>(*this)) {}

SJPromptingPopupController::~SJPromptingPopupController() {
    clear();
    static_cast<AreaView&>(*view_).forgetOwner();
}

void SJPromptingPopupController::setContentInsets(const UIEdgeInsets& insets) {
    if (contentInsets_ == insets) {
        return;
    }
    contentInsets_ = insets;
    view_->setNeedsLayout();
}

void SJPromptingPopupController::show(const NSAttributedString& title) {
    show(title, defaultDuration);
}

void SJPromptingPopupController::show(const NSAttributedString& title, double duration) {
    auto prompt = std::make_shared<PromptView>(title);
    view_->addSubview(prompt);
    Prompt entry{prompt, 0};
    if (std::isfinite(duration)) {
        entry.expiry = RunLoop::main().post(
            [alive = std::weak_ptr<bool>(alive_), this, raw = prompt.get()] {
                if (!alive.expired()) {
                    expire(raw);
                }
            },
            std::max(0.0, duration));
    }
    prompts_.push_back(std::move(entry));
    UIView::performWithoutAnimation([&] { layoutPrompts(); });
}

void SJPromptingPopupController::clear() {
    for (const Prompt& prompt : prompts_) {
        if (prompt.expiry != 0) {
            RunLoop::main().cancel(prompt.expiry);
        }
        prompt.view->removeFromSuperview();
    }
    prompts_.clear();
}

std::vector<std::shared_ptr<UIView>> SJPromptingPopupController::displayingViews() const {
    std::vector<std::shared_ptr<UIView>> views;
    for (const Prompt& prompt : prompts_) {
        views.push_back(prompt.view);
    }
    return views;
}

void SJPromptingPopupController::expire(const UIView* view) {
    auto found = std::find_if(prompts_.begin(), prompts_.end(),
                              [&](const Prompt& prompt) { return prompt.view.get() == view; });
    if (found == prompts_.end()) {
        return;
    }
    auto leaving = found->view;
    prompts_.erase(found);
    UIView::animateWithDuration(
        fadeDuration, [&] { leaving->setAlpha(0); }, [leaving](bool) { leaving->removeFromSuperview(); });
    layoutPrompts();
}

void SJPromptingPopupController::layoutPrompts() {
    const CGRect area = view_->bounds();
    const CGFloat maxWidth =
        std::max<CGFloat>(0, area.size.width - contentInsets_.left - contentInsets_.right);
    CGFloat bottom = area.size.height - contentInsets_.bottom;
    for (auto it = prompts_.rbegin(); it != prompts_.rend(); ++it) {
        const CGSize size = it->view->sizeThatFits({maxWidth, CGFLOAT_MAX});
        it->view->setFrame(CGRect{{contentInsets_.left, bottom - size.height}, size});
        bottom -= size.height + spacing;
    }
}
