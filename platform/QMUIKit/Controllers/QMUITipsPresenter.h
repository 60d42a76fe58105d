#pragma once

// Draws the tips of QMUITips: each shown tip becomes a toast over its view (or over the
// key window): a dark rounded box in the middle with a wheel (loading), a tick
// (succeed) or a cross (error) above its text. Toasts fade in when their tip is shown
// and fade out when it is hidden, by its own delay or by hideAllTips. Loading toasts
// keep touches from the view beneath; the others let them through.
class QMUITipsPresenter {
  public:
    // Starts drawing the tips; later calls do nothing. The kit's controllers call it.
    static void install();
};
