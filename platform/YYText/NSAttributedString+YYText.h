#pragma once

#include "platform/Foundation/NSRange.h"
#include "platform/UIKit/NSAttributedString.h"

#include <optional>

// YYText's attribute shortcuts of attributed texts. The property getters read the
// attribute of the first character (absent for an empty text or an unset attribute);
// the setters give the whole text the attribute; ranges count UTF-16 code units, and the
// part of a range past the end of the text is ignored.
std::optional<UIColor> yy_color(const NSAttributedString& text);
void setYy_color(NSMutableAttributedString& text, const UIColor& color);
std::optional<UIFont> yy_font(const NSAttributedString& text);
void setYy_font(NSMutableAttributedString& text, const UIFont& font);
void yy_setColor(NSMutableAttributedString& text, const UIColor& color, NSRange range);
void yy_setFont(NSMutableAttributedString& text, const UIFont& font, NSRange range);
