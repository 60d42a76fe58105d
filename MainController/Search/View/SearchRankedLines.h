#pragma once

#include "MainController/Search/View/KKsubsequentbasically.h"
#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIStackView.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// The hot-search and history areas of the search page: ranked lines two to a line in a
// vertical stack.

// The badge colour of hot search number `index` + 1: red, orange and amber for the first
// three, grey after them.
UIColor hotBadgeColour(std::size_t index);
// The badge colour of every history line.
UIColor historyBadgeColour();

// A ranked line 18 high numbered `index` + 1, with `title` on a badge of `colour`; a tap
// runs `onTap`.
std::shared_ptr<KKsubsequentbasically> makeRankedLine(std::size_t index, const std::string& title,
                                                      const UIColor& colour, std::function<void()> onTap);

// Places line number `index` + 1 in `stack`: an even index opens a new horizontal line
// whose parts share its width equally; an odd one joins the last line.
void placeTwoToALine(UIStackView& stack, const std::shared_ptr<KKsubsequentbasically>& line,
                     std::size_t index);
