#pragma once

// A colour as straight (not premultiplied) sRGB components in 0...1. A small value type:
// views store it in properties and compare it in setters; "no colour" is
// std::optional<UIColor>. The default value is fully transparent black.
struct UIColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    // Components are clamped to 0...1.
    static UIColor colorWithRed(double red, double green, double blue, double alpha);
    static UIColor colorWithWhite(double white, double alpha);

    static UIColor clearColor() { return {0, 0, 0, 0}; }
    static UIColor blackColor() { return {0, 0, 0, 1}; }
    static UIColor whiteColor() { return {1, 1, 1, 1}; }
    static UIColor darkGrayColor() { return {1.0 / 3, 1.0 / 3, 1.0 / 3, 1}; }
    static UIColor grayColor() { return {0.5, 0.5, 0.5, 1}; }
    static UIColor lightGrayColor() { return {2.0 / 3, 2.0 / 3, 2.0 / 3, 1}; }
    static UIColor redColor() { return {1, 0, 0, 1}; }
    static UIColor greenColor() { return {0, 1, 0, 1}; }
    static UIColor blueColor() { return {0, 0, 1, 1}; }
    static UIColor cyanColor() { return {0, 1, 1, 1}; }
    static UIColor yellowColor() { return {1, 1, 0, 1}; }
    static UIColor systemGrayColor() { return colorWithRed(142 / 255.0, 142 / 255.0, 147 / 255.0, 1); }
    static UIColor systemTealColor() { return colorWithRed(48 / 255.0, 176 / 255.0, 199 / 255.0, 1); }
    // The label colour of the light appearance (the application never switches to dark).
    static UIColor labelColor() { return blackColor(); }

    UIColor colorWithAlphaComponent(double alpha) const;
    // The same colour for layer properties, which take CGColor in Core Animation.
    UIColor CGColor() const { return *this; }
    bool isOpaque() const { return alpha >= 1; }

    // Each component of `from` moved towards `to` by the fraction t (animations).
    static UIColor interpolate(const UIColor& from, const UIColor& to, double t);

    friend bool operator==(const UIColor&, const UIColor&) = default;
};
