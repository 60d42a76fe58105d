#include "platform/QMUIKit/QMUITips.h"

#include "platform/Foundation/RunLoop.h"

#include <algorithm>
#include <map>

namespace {

struct TipsState {
    std::vector<QMUITips::Tip> tips;
    std::map<std::uint64_t, RunLoop::TaskId> hideTasks;
    std::uint64_t nextIdentifier = 1;
    std::function<void()> changeHandler;
};

TipsState& state() {
    static TipsState instance;
    return instance;
}

void changed() {
    if (state().changeHandler) {
        state().changeHandler();
    }
}

void hideTip(std::uint64_t identifier) {
    auto& tips = state().tips;
    const auto removed =
        std::erase_if(tips, [&](const QMUITips::Tip& tip) { return tip.identifier == identifier; });
    state().hideTasks.erase(identifier);
    if (removed > 0) {
        changed();
    }
}

std::size_t characterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

double QMUITips::hideDelayForText(const std::string& text) {
    const double count = static_cast<double>(characterCount(text));
    return std::min(1.5 + 0.05 * std::max(0.0, count - 20), 5.0);
}

void QMUITips::show(Kind kind, const std::string& text, const std::shared_ptr<UIView>& view) {
    Tip tip;
    tip.identifier = state().nextIdentifier++;
    tip.kind = kind;
    tip.text = text;
    tip.view = view;
    tip.inKeyWindow = view == nullptr;
    if (kind != Kind::loading) {
        tip.hideDelay = hideDelayForText(text);
        const std::uint64_t identifier = tip.identifier;
        state().hideTasks[identifier] =
            RunLoop::main().post([identifier] { hideTip(identifier); }, *tip.hideDelay);
    }
    state().tips.push_back(std::move(tip));
    changed();
}

void QMUITips::showLoadingInView(const std::shared_ptr<UIView>& view) {
    show(Kind::loading, {}, view);
}

void QMUITips::showLoading(const std::string& text, const std::shared_ptr<UIView>& view) {
    show(Kind::loading, text, view);
}

void QMUITips::showWithText(const std::string& text, const std::shared_ptr<UIView>& view) {
    show(Kind::text, text, view);
}

void QMUITips::showSucceed(const std::string& text, const std::shared_ptr<UIView>& view) {
    show(Kind::succeed, text, view);
}

void QMUITips::showError(const std::string& text, const std::shared_ptr<UIView>& view) {
    show(Kind::error, text, view);
}

void QMUITips::hideAllTips() {
    auto& current = state();
    for (const auto& [identifier, task] : current.hideTasks) {
        RunLoop::main().cancel(task);
    }
    current.hideTasks.clear();
    if (current.tips.empty()) {
        return;
    }
    current.tips.clear();
    changed();
}

const std::vector<QMUITips::Tip>& QMUITips::shownTips() {
    return state().tips;
}

void QMUITips::setChangeHandler(std::function<void()> handler) {
    state().changeHandler = std::move(handler);
}
