#pragma once

#include <memory>

class KKappealsubsequent;
class UIView;

// Puts `button` at the right end of a list cell (44 x 44, 10 from the right edge,
// vertically centred) and ends the cell's name 55 short of the right edge to make room.
void placeTrailingButton(KKappealsubsequent& cell, const std::shared_ptr<UIView>& button);
