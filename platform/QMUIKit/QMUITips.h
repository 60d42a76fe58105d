#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIView;

// The tips (toasts and progress indicators) currently shown, as a model: which kind, what
// text, in which view (none means the key window) and for how long. Tips with a text hide
// themselves after a delay on the main run loop; loading tips stay until hidden. The view
// layer draws this list and redraws it when the change handler runs. Main thread only.
class QMUITips {
  public:
    enum class Kind { loading, text, succeed, error };

    struct Tip {
        std::uint64_t identifier = 0;
        Kind kind = Kind::text;
        std::string text;
        // The view the tip covers; empty for the key window.
        std::weak_ptr<UIView> view;
        bool inKeyWindow = true;
        // Seconds after which the tip hides itself; nothing for tips that stay.
        std::optional<double> hideDelay;
    };

    static void showLoadingInView(const std::shared_ptr<UIView>& view);
    static void showLoading(const std::string& text, const std::shared_ptr<UIView>& view);
    static void showWithText(const std::string& text, const std::shared_ptr<UIView>& view = nullptr);
    static void showSucceed(const std::string& text, const std::shared_ptr<UIView>& view = nullptr);
    static void showError(const std::string& text, const std::shared_ptr<UIView>& view = nullptr);
    // Hides every tip in every view.
    static void hideAllTips();

    // Oldest first.
    static const std::vector<Tip>& shownTips();
    static void setChangeHandler(std::function<void()> handler);

    // How long a tip with `text` stays: 1.5 s for up to 20 characters, 0.05 s more for
    // each further character, 5 s at most.
    static double hideDelayForText(const std::string& text);

  private:
    static void show(Kind kind, const std::string& text, const std::shared_ptr<UIView>& view);
};
