#pragma once

#include "platform/MJRefresh/MJRefreshComponent.h"
#include "platform/UIKit/UILabel.h"

#include <map>
#include <memory>
#include <string>

// The label of a refresh control that says what the control does in each state, and the
// title of each state. The control puts the label in itself and tells it its state.
class MJRefreshStateText {
  public:
    // The grey of the controls' text (and of the header's arrow).
    static UIColor textColor();

    // Shows the idle state's title (titles holds one).
    explicit MJRefreshStateText(std::map<MJRefreshState, std::string> titles);

    const std::shared_ptr<UILabel>& label() const { return label_; }
    // Keeps the title of state, showing it at once when the control is in that state now.
    void setTitle(const std::string& title, MJRefreshState state, MJRefreshState now);
    // Shows the title of state, when it has one (else the label keeps its text).
    void show(MJRefreshState state);

  private:
    std::shared_ptr<UILabel> label_;
    std::map<MJRefreshState, std::string> titles_;
};
