#pragma once

// What a page tells the UI kit's navigation controller about the bar while the page is
// on top.
class QMUINavigationControllerAppearanceDelegate {
  public:
    virtual ~QMUINavigationControllerAppearanceDelegate() = default;
    // Whether the bar is hidden while the page is on top.
    virtual bool preferredNavigationBarHidden() const;
    // Whether the bar moves with the page when two pages disagree about it (bookkeeping:
    // the navigation controller always moves it so).
    virtual bool shouldCustomizeNavigationBarTransitionIfHideable() const { return false; }
};
