#include "platform/QMUIKit/Controllers/QMUITipsPresenter.h"

#include "platform/QMUIKit/Controllers/QMUIToastView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>
#include <map>

namespace {

// The toasts on screen, by the identifier of their tip.
std::map<std::uint64_t, std::weak_ptr<QMUIToastView>>& toasts() {
    static std::map<std::uint64_t, std::weak_ptr<QMUIToastView>> shown;
    return shown;
}

void showToast(const QMUITips::Tip& tip) {
    std::shared_ptr<UIView> host = tip.inKeyWindow ? UIWindow::keyWindow() : tip.view.lock();
    if (!host) {
        return;
    }
    auto toast = std::make_shared<QMUIToastView>(tip);
    toast->setFrame(host->bounds());
    host->addSubview(toast);
    toast->layoutIfNeeded();
    UIView::performWithoutAnimation([&] { toast->setAlpha(0); });
    UIView::animateWithDuration(QMUIToastView::kFadeDuration, [&] { toast->setAlpha(1); });
    toasts()[tip.identifier] = toast;
}

void hideToast(const std::shared_ptr<QMUIToastView>& toast) {
    // The fade is kept by the toast's own layer: holding the toast weakly keeps a fade that
    // never ends (the process quits first) from keeping the toast alive for good.
    std::weak_ptr<QMUIToastView> fading = toast;
    UIView::animateWithDuration(
        QMUIToastView::kFadeDuration, [&] { toast->setAlpha(0); },
        [fading](bool) {
            if (auto shown = fading.lock()) {
                shown->removeFromSuperview();
            }
        });
}

void tipsChanged() {
    const auto& tips = QMUITips::shownTips();
    auto& shown = toasts();
    for (auto it = shown.begin(); it != shown.end();) {
        const bool stillShown = std::any_of(
            tips.begin(), tips.end(), [&](const QMUITips::Tip& tip) { return tip.identifier == it->first; });
        if (stillShown) {
            ++it;
            continue;
        }
        if (auto toast = it->second.lock()) {
            hideToast(toast);
        }
        it = shown.erase(it);
    }
    for (const auto& tip : tips) {
        if (shown.find(tip.identifier) == shown.end()) {
            showToast(tip);
        }
    }
}

} // namespace

void QMUITipsPresenter::install() {
    static const bool installed = [] {
        QMUITips::setChangeHandler(&tipsChanged);
        tipsChanged();
        return true;
    }();
    (void)installed;
}
