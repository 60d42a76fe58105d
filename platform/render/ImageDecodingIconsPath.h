#pragma once

#include <cairo.h>

#include <optional>
#include <string_view>

// The values and outlines of the icon drawing (ImageDecodingIcons.h): numbers and
// lengths as SVG attributes write them, and shapes and path data added to a Cairo path
// with the curves SVG renderers use (arcs as cubic curves of at most a quarter turn).
namespace render::icons {

bool isSeparator(char c);
// `text` without the white space around it.
std::string_view trimmed(std::string_view text);
// Reads a number at the front of `text` (consuming it); false when there is none.
bool readNumber(std::string_view& text, double& value);
// A whole attribute value that is one number, with "px" allowed after it.
std::optional<double> lengthValue(std::string_view text);
// A whole attribute value that is one number, clamped to 0...1.
std::optional<double> unitValue(std::string_view text);

// Adds SVG path data to the current path; false when the data is not well formed.
bool addPathData(cairo_t* cr, std::string_view data);
// The outline of an ellipse around (cx, cy), as SVG draws circles and ellipses: from the
// rightmost point, clockwise on screen.
void addEllipse(cairo_t* cr, double cx, double cy, double rx, double ry);
// A rectangle with corners rounded by the radii rx and ry (both above zero).
void addRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double rx, double ry);

} // namespace render::icons
